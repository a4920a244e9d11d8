#pragma once
/// \brief The data processing written out step by step, with plain loops over every point and the
/// bubble-pass IDW for every grid node: slow, obviously right, and the reference the production
/// version must match to the last bit.

namespace plotra {
class CPlotraDoc;
}

namespace plotra::test {

/// Processes every AP of the document like ProcessData, in the most direct way.
void ProcessDataOracle(CPlotraDoc& doc);

} // namespace plotra::test
