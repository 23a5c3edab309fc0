#pragma once
// The spreadsheet export of a measurement or logger window (its export
// button): the macro choice when the configured spreadsheet program runs
// one, the save dialog for the target (a PRN text file, or a workbook when
// the name ends in .xlsx), the records of the window's file written with the
// please-wait window showing the progress, then the spreadsheet program
// started on the result (the macro's transfer file first). The steps
// without dialogs are RecordExport's and SpreadsheetCommand's, which the
// command line runs too.
namespace orvadw {

class CommunicatingDialog;

// 0 when the export was written; -1 when it was cancelled (silently) or
// failed (after the message). The window's file kind says what it exports.
int export_records(CommunicatingDialog& window);

}  // namespace orvadw
