// Both converters report through the one diagnostics type of common/diagnostics.h; quillet's
// code and its callers name it in quillet's namespace.
#pragma once

#include "common/diagnostics.h"

namespace quillet {

using common::Diagnostic;
using common::Diagnostics;
using common::FormatDiagnostic;
using common::Severity;

}  // namespace quillet
