#pragma once

#include <QString>

// Why a file could not be written, in the user's words: the system's error numbers and the
// workbook library's error codes, never their English texts.
QString systemErrorText(int error);
QString workbookErrorText(int error);
