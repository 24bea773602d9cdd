#pragma once
#include <QString>

// Whether a workbook written by the spreadsheet library is whole: a zip whose every XML part
// begins with its declaration and ends with the closing tag of its root. The library does not
// check the writes of its own work files, so a full temporary folder gives a well-formed zip
// of cut parts (an empty content list, a sheet starting mid-row) that no program can open;
// such a workbook must never take the place of a file.
namespace PlanilhaConferida {

// Empty when the workbook is whole; otherwise what is wrong with it, in Portuguese.
QString defeito(const QString &arquivo);

} // namespace PlanilhaConferida
