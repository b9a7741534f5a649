// A stand-in for a converter library, built once per entry name (FAKE_ENTRY).
//
// Every call appends one line to the file named by FAKE_CONVERTER_LOG: the entry, the number of
// calls since the library was loaded, the flag as it arrived, and for each name either
// "<null>:length" or "[text]:length:length up to the zero byte". Each name is written to, so a
// name that is not a private writable copy shows up as a crash. The flag is then stored from the
// first name: one containing "fail" sets 3, one containing "keep" leaves the flag as it came,
// any other sets 0.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FAKE_STRINGIZE(x) #x
#define FAKE_NAME(x) FAKE_STRINGIZE(x)

namespace {

int callsSinceLoad = 0;

void recordName(std::FILE* log, char* name, std::int32_t length) {
  if (name == nullptr) {
    std::fprintf(log, " <null>:%d", static_cast<int>(length));
    return;
  }
  volatile char* writable = name;
  writable[0] = writable[0];
  std::fprintf(log, " [%s]:%d:%zu", name, static_cast<int>(length), std::strlen(name));
}

}  // namespace

extern "C" void FAKE_ENTRY(char* name1, std::int32_t length1, char* name2, std::int32_t length2,
                           char* name3, std::int32_t length3, char* name4, std::int32_t length4,
                           std::int32_t* errorFlag) {
  ++callsSinceLoad;
  if (const char* logPath = std::getenv("FAKE_CONVERTER_LOG")) {
    if (std::FILE* log = std::fopen(logPath, "a")) {
      std::fprintf(log, "%s call=%d flag=%d", FAKE_NAME(FAKE_ENTRY), callsSinceLoad,
                   static_cast<int>(*errorFlag));
      recordName(log, name1, length1);
      recordName(log, name2, length2);
      recordName(log, name3, length3);
      recordName(log, name4, length4);
      std::fputc('\n', log);
      std::fclose(log);
    }
  }
  if (name1 != nullptr && std::strstr(name1, "fail") != nullptr) {
    *errorFlag = 3;
  } else if (name1 == nullptr || std::strstr(name1, "keep") == nullptr) {
    *errorFlag = 0;
  }
}
