#pragma once

// Import from browser over a Chrome profile with `count` site searches of
// the user's, into a table holding the seven defaults: reading the copy of
// its database, the dialog's rows, filling the dialog, and the table taking
// every row checked; beside a `load` of as many prefixes. The whole import's
// milliseconds.
double PrintBrowserImport(int count, double load);
// The worst profile and file of each kind made to stall or harm a reader,
// each timed beside `import`, the milliseconds of the import above.
void PrintHostileImports(double import);
