// Shared pieces of the Windows-side tests: where the built module and filterhost are, a frame
// that holds every level of every channel, and running a program with its output captured.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

inline std::string ModulePath() { return TONARC_MODULE_PATH; }

// Row 0 holds every grey level; rows 1-3 mix the channels so no two see the same level.
constexpr int32_t kLevelFrameWidth = 256;
constexpr int32_t kLevelFrameHeight = 4;

inline std::vector<uint32_t> FrameOfEveryLevel(uint32_t topByte) {
  std::vector<uint32_t> frame(kLevelFrameWidth * kLevelFrameHeight);
  std::mt19937 random(7);
  for (uint32_t i = 0; i < 256; ++i) {
    frame[i] = (i << 16) | (i << 8) | i;
    frame[256 + i] = (i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF);
    frame[512 + i] = random() & 0xFFFFFF;
    frame[768 + i] = random() & 0xFFFFFF;
  }
  for (uint32_t& p : frame) p |= topByte << 24;
  return frame;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// One argument in the form the C runtime splits a command line back into.
inline std::string QuoteArgument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

struct ProgramResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program to its end with stdin from a file (or empty) and stdout and stderr captured
// through files, so large outputs cannot fill a pipe and stall both sides.
inline ProgramResult RunProgram(const std::vector<std::string>& arguments,
                                const std::string& stdinPath = std::string()) {
  ProgramResult result;
  std::string commandLine;
  for (const std::string& a : arguments) {
    commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(a);
  }

  // Fresh names for every run: under wine a finished program's handles may still be open for a
  // moment after its end is signalled, and a second open of the same file then fails.
  static unsigned runs = 0;
  const std::string stem =
      "program_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++runs);
  const std::string outPath = stem + "_stdout.tmp", errPath = stem + "_stderr.tmp";
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE in = CreateFileA(stdinPath.empty() ? "NUL" : stdinPath.c_str(), GENERIC_READ, kShareAll,
                          &inherit, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, kShareAll, &inherit, CREATE_ALWAYS, 0,
                           nullptr);
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, kShareAll, &inherit, CREATE_ALWAYS, 0,
                           nullptr);
  if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
    result.err = "cannot set up the program's standard handles (error " +
                 std::to_string(GetLastError()) + ")";
    for (HANDLE h : {in, out, err})
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return result;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  const BOOL started = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) {
    result.err = "cannot start " + commandLine;
    return result;
  }
  result.out = ReadWholeFile(outPath);
  result.err = ReadWholeFile(errPath);
  DeleteFileA(outPath.c_str());
  DeleteFileA(errPath.c_str());
  return result;
}
