// Runs the Khronos glTF validator (npm's gltf-validator) on each file named and prints its
// messages; exits 1 when any file has an error, 2 when the validator is missing.
//   NODE_PATH=build/npm/node_modules node tests/gltf/validate_gltf.js FILE.glb [FILE.gltf ...]
'use strict';
const fs = require('fs');
const path = require('path');
let validator;
try {
  validator = require('gltf-validator');
} catch (e) {
  console.error('gltf-validator is not installed (npm install --prefix build/npm gltf-validator)');
  process.exit(2);
}

async function validate(file) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const report = await validator.validateBytes(bytes, {
    uri: path.basename(file),
    maxIssues: 0,
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (err, data) =>
          err ? reject(err.toString()) : resolve(new Uint8Array(data)));
      }),
  });
  for (const m of report.issues.messages) {
    if (m.severity <= 1) console.log(`${file}: ${['error', 'warning'][m.severity]} ${m.code} ${m.pointer || ''}: ${m.message}`);
  }
  return report.issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(2)) errors += await validate(file);
  process.exit(errors > 0 ? 1 : 0);
})();
