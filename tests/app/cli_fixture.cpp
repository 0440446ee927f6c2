// Running velomorph in a per-test folder, and the mirror grid the command-line tests work on.
#include "cli_fixture.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_paths.h"
#include "obj_mesh_file.h"
#include "selection_file.h"

namespace fs = std::filesystem;

namespace {

std::string readBytes(const std::string& path) {
  std::ifstream in(FilePath(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

#if defined(_WIN32)
std::wstring wide(const std::string& utf8) {
  std::wstring w(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), int(w.size()));
  return w;
}

// One argument as the C runtime of the started program splits its command line: quoted, with the
// backslashes before a quote (and before the closing quote) doubled.
std::wstring commandLineArgument(const std::wstring& arg) {
  std::wstring q = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    q.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    q += c;
  }
  q.append(2 * backslashes, L'\\');
  return q + L"\"";
}

HANDLE inheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What the program printed: its text streams end lines with CR LF on Windows.
std::string printedText(const std::string& path) {
  std::string text = readBytes(path);
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}
#endif

}  // namespace

std::vector<std::string> RunResult::ErrLines() const {
  std::vector<std::string> lines;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void CliTest::SetUp() {
#if defined(_WIN32)
  // No mkdtemp: the first name nobody has taken yet, made at once so no one else takes it.
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 1000 && folder_.empty(); ++attempt) {
    std::string candidate = ::testing::TempDir() + "velomorph_cli_" + std::to_string(GetCurrentProcessId()) + "_" +
                            std::to_string(serial++);
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) folder_ = candidate;
  }
  ASSERT_FALSE(folder_.empty()) << "cannot make a folder in " << ::testing::TempDir();
#else
  std::string pattern = ::testing::TempDir() + "velomorph_cli_XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot make a folder from " << pattern;
  folder_ = pattern;
#endif
}

void CliTest::TearDown() {
  std::error_code ignored;
  if (!folder_.empty()) {
    fs::remove_all(folder_, ignored);
    fs::remove(folder_ + ".stdout", ignored);
    fs::remove(folder_ + ".stderr", ignored);
  }
}

RunResult CliTest::Run(const std::vector<std::string>& args, const std::string& standardInput) const {
  const std::string inPath = standardInput.empty() ? std::string() : Path(standardInput);
  // Captured beside the folder, so that the folder holds only what the program wrote.
  const std::string outPath = folder_ + ".stdout", errPath = folder_ + ".stderr";
#if defined(_WIN32)
  std::wstring program = wide(std::string(VELOMORPH_BIN_DIR) + "/velomorph.exe");
  std::replace(program.begin(), program.end(), L'/', L'\\');
  std::wstring commandLine = commandLineArgument(program);
  for (const std::string& a : args) commandLine += L" " + commandLineArgument(wide(a));

  RunResult r;
  HANDLE out = inheritableFile(outPath), err = inheritableFile(errPath);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  SECURITY_ATTRIBUTES inheritRead = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE in = inPath.empty() ? INVALID_HANDLE_VALUE
                             : CreateFileW(wide(inPath).c_str(), GENERIC_READ, FILE_SHARE_READ, &inheritRead,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  startup.hStdInput = in != INVALID_HANDLE_VALUE ? in : GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  const bool started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                       CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      wide(folder_).c_str(), &startup, &process);
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) {
    ADD_FAILURE() << "cannot start velomorph.exe (error " << GetLastError() << ")";
    return r;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  r.exitCode = int(code);
  r.out = printedText(outPath);
  r.err = printedText(errPath);
  return r;
#else
  const std::string program = std::string(VELOMORPH_BIN_DIR) + "/velomorph";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  RunResult r;
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open(inPath.empty() ? "/dev/null" : inPath.c_str(), O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || chdir(folder_.c_str()) != 0) _exit(126);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid < 0) {
    ADD_FAILURE() << "cannot start " << program;
    return r;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = readBytes(outPath);
  r.err = readBytes(errPath);
  return r;
#endif
}

void CliTest::Write(const std::string& name, const std::string& bytes) const {
  fs::path path = FilePath(Path(name));
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string CliTest::Read(const std::string& name) const { return readBytes(Path(name)); }

bool CliTest::Exists(const std::string& name) const { return fs::exists(FilePath(Path(name))); }

std::vector<std::string> CliTest::Entries(const std::string& folder) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(FilePath(folder.empty() ? folder_ : Path(folder)), ec)) {
    names.push_back(entry.path().filename().u8string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<Point3> CliTest::ReadPositions(const std::string& name) const {
  ObjReadResult r = ReadObjFile(Path(name));
  if (!r.ok) ADD_FAILURE() << r.error;
  return r.mesh.positions;
}

std::vector<float> CliTest::ReadWeights(const std::string& name) const {
  SelectionReadResult r = ReadSelectionFile(Path(name));
  if (!r.ok) ADD_FAILURE() << r.error;
  return r.weights;
}

std::vector<Point3> CliTest::ApplyToGrid(const MirrorGrid& grid, const std::vector<Point3>& sculpt,
                                         const std::string& kind, const std::vector<std::string>& options) const {
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", grid.ObjText(sculpt));
  std::vector<std::string> args = {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--as", kind,
                                   "--quiet"};
  args.insert(args.end(), options.begin(), options.end());
  const RunResult r = Run(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return ReadPositions("out.obj");
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr float kColumnA[MirrorGrid::kColumns] = {-2.0f, -0.75f, 0.0f, 0.75f, 2.0f};
constexpr float kRowB[MirrorGrid::kRows] = {0.0f, 1.0f, 2.5f};
// File index v holds cell (7 v) mod 15; 7 and 15 share no factor, so every cell appears once.
constexpr int kScramble = 7;

std::string number(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%.9g", double(v));
  return buffer;
}

}  // namespace

MirrorGrid::MirrorGrid(int axis, float offset)
    : axis_(axis), offset_(offset), cellOfVertex_(kVertices), vertexOfCell_(kVertices), base_(kVertices) {
  for (int v = 0; v < kVertices; ++v) {
    cellOfVertex_[size_t(v)] = (v * kScramble) % kVertices;
    vertexOfCell_[size_t(cellOfVertex_[size_t(v)])] = v;
  }
  for (int v = 0; v < kVertices; ++v) {
    const float a = kColumnA[Column(v)];
    Point3& p = base_[size_t(v)];
    p[axis_] = offset_ + a;
    p[(axis_ + 1) % 3] = kRowB[Row(v)];
    p[(axis_ + 2) % 3] = 0.25f * std::fabs(a) + 0.5f * float(Row(v));
  }
}

std::vector<Point3> MirrorGrid::Sculpt() const {
  std::vector<Point3> sculpt = base_;
  for (int v = 0; v < kVertices; ++v) {
    const int k = cellOfVertex_[size_t(v)];
    Point3& p = sculpt[size_t(v)];
    p[axis_] += (float((k * 5) % 7) - 3.5f) / 16.0f;
    p[(axis_ + 1) % 3] += float((k * 3) % 5 + 1) / 32.0f;
    p[(axis_ + 2) % 3] += (float((k * 2) % 9) - 4.5f) / 64.0f;
  }
  return sculpt;
}

int MirrorGrid::At(int column, int row) const { return vertexOfCell_[size_t(column + kColumns * row)]; }
int MirrorGrid::Column(int vertex) const { return cellOfVertex_[size_t(vertex)] % kColumns; }
int MirrorGrid::Row(int vertex) const { return cellOfVertex_[size_t(vertex)] / kColumns; }

Point3 MirrorGrid::Reflect(Point3 p) const {
  p[axis_] = 2.0f * offset_ - p[axis_];
  return p;
}

Point3 MirrorGrid::OnPlane(Point3 p, int vertex) const {
  p[axis_] = base_[size_t(vertex)][axis_];
  return p;
}

std::vector<Point3> MirrorGrid::Mirrored(const std::vector<Point3>& sculpt, bool negativeWritten) const {
  std::vector<Point3> expected = sculpt;
  for (int v = 0; v < kVertices; ++v) {
    if (IsCentre(v)) {
      expected[size_t(v)] = OnPlane(sculpt[size_t(v)], v);
    } else if (negativeWritten ? OnNegativeSide(v) : OnPositiveSide(v)) {
      expected[size_t(v)] = Reflect(sculpt[size_t(Partner(v))]);
    }
  }
  return expected;
}

std::vector<Point3> MirrorGrid::Flipped(const std::vector<Point3>& sculpt) const {
  std::vector<Point3> expected(sculpt.size());
  for (int v = 0; v < kVertices; ++v) {
    expected[size_t(v)] = IsCentre(v) ? OnPlane(sculpt[size_t(v)], v) : Reflect(sculpt[size_t(Partner(v))]);
  }
  return expected;
}

std::string MirrorGrid::ObjText(const std::vector<Point3>& positions) const {
  std::string text = "# velomorph test grid: 4 x 2 quads across the mirror plane\n";
  for (const Point3& p : positions) text += "v " + number(p.x) + " " + number(p.y) + " " + number(p.z) + "\n";
  for (int row = 0; row + 1 < kRows; ++row) {
    for (int column = 0; column + 1 < kColumns; ++column) {
      text += "f " + std::to_string(At(column, row) + 1) + " " + std::to_string(At(column + 1, row) + 1) + " " +
              std::to_string(At(column + 1, row + 1) + 1) + " " + std::to_string(At(column, row + 1) + 1) + "\n";
    }
  }
  return text;
}

std::vector<float> MirrorGrid::ByVertex(const std::vector<float>& byCell) const {
  std::vector<float> weights(kVertices);
  for (int v = 0; v < kVertices; ++v) weights[size_t(v)] = byCell[size_t(cellOfVertex_[size_t(v)])];
  return weights;
}

std::string MirrorGrid::WeightsText(const std::vector<float>& byCell) const {
  std::string text;
  for (float w : ByVertex(byCell)) text += number(w) + "\n";
  return text;
}

const char* AxisName(int axis) { return axis == 0 ? "x" : axis == 1 ? "y" : "z"; }

void ExpectPositions(const std::vector<Point3>& actual, const std::vector<Point3>& expected, float tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(actual[i][k], expected[i][k], tolerance) << "vertex " << i << ", coordinate " << AxisName(k);
    }
  }
}
