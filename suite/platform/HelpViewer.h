#pragma once

class QString;
class QWidget;

// Shows a help file (a file path or a ":/" resource path holding HTML) at the anchor named by the
// topic number, in a window of its own beside the caller. A second call for the same file reuses
// that window; a file that cannot be read is reported with a warning instead.
void ShowHelp(QWidget *parent, const QString &helpFile, int topic);
