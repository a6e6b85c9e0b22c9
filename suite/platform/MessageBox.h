#pragma once

#include <QString>

class QWidget;

enum class MsgIcon { Error, Question, Warning, Information };

// The one modal message box of the suite. Error, Warning and Information show an OK button;
// Question shows Yes and No. A detail (an engine's own text) waits behind the box's details
// button. Returns true when the user answered OK or Yes.
bool MsgBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon,
            const QString &detail = QString());
