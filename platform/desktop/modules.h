// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's modules: parts built as shared modules of their own and
// loaded only when first needed, so that the libraries they bring cost the
// start-up nothing: the sound device (the sound server's client library), the
// spreadsheet writer (libxlsxwriter with its zip and crypto
// libraries) and the print dialog (Qt Print Support). They are installed in
// <libdir>/numbelle and found from the program's own folder, in the build
// tree as when installed.

#include <QString>
#include <QtGlobal>

namespace numbelle::platform {

// Where the modules are: the folder beside the program's own.
QString moduleFolder();

// Loads the module name ("numbelle-sound") once and returns the address of
// its entry point symbol; nullptr when the module is missing or damaged (said
// once on standard error). Safe from any thread.
QFunctionPointer moduleFunction(const char *name, const char *symbol);

} // namespace numbelle::platform
