// Fixtures of the kinetics tests: mechanisms built in code and written with the library's
// writer. Consoles, scratch files and record-by-record edits come from tests/support.
#pragma once

#include <string>

#include "kinetics/link_mechanism.h"

namespace kinetics::testing {

// Two elements, three species, four reactions and one or two entries in every record 6 to 17;
// every value distinct.
LinkMechanism FullMechanism();

// The same elements, species and reactions without any auxiliary record.
LinkMechanism PlainMechanism();

// Writes `mechanism` to `name` in the scratch folder of the process and fails the test when the
// writer fails.
std::string WriteFixture(const std::string& name, const LinkMechanism& mechanism);

}  // namespace kinetics::testing
