// Fixtures of the kinetics tests: mechanisms built in code, files written with the library's
// writer and edited record by record, and a console whose output the tests compare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "common/console.h"
#include "kinetics/link_mechanism.h"

namespace kinetics::testing {

// What a body wrote to the console and whether it ended with a stop.
struct Captured {
  bool stopped = false;
  bool pauses = false;
  std::string text;
};

template <class Body>
Captured RunCaptured(Body&& body) {
  std::ostringstream out;
  std::istringstream in;
  common::Console console(out, in);
  Captured captured;
  try {
    body(console);
  } catch (const common::Stop& stop) {
    captured.stopped = true;
    captured.pauses = stop.pauses();
  }
  captured.text = out.str();
  return captured;
}

// Two elements, three species, four reactions and one or two entries in every record 6 to 17;
// every value distinct.
LinkMechanism FullMechanism();

// The same elements, species and reactions without any auxiliary record.
LinkMechanism PlainMechanism();

// A path in a folder of this test process, removed at exit.
std::string TempPath(const std::string& name);

// Writes `mechanism` and fails the test when the writer fails.
std::string WriteFixture(const std::string& name, const LinkMechanism& mechanism);

using Payload = std::vector<std::byte>;

// The payloads of all records of a file, and the file made of given payloads.
std::vector<Payload> ReadRecords(const std::string& path);
void WriteRecords(const std::string& path, const std::vector<Payload>& records);

// Overwrites the int at `offset` bytes into `payload`.
void PatchInt(Payload& payload, std::size_t offset, std::int32_t value);

}  // namespace kinetics::testing
