// The command line's exit codes; scripts are written against them. A batch that fails on several
// inputs ends with the highest code among its failures.
#pragma once

constexpr int kExitOk = 0;
constexpr int kExitAsymmetric = 1;  // check: some vertex lies beyond the tolerance
constexpr int kExitUsage = 2;
constexpr int kExitUnreadable = 3;  // a file that cannot be read or parsed
constexpr int kExitMismatch = 4;    // meshes that do not match
constexpr int kExitModifierFailed = 5;  // the host reported the modifier failing on an input
constexpr int kExitWriteFailed = 6;     // a result could not be written
