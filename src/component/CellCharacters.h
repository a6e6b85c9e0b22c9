#pragma once

#include <QString>
#include <QStringView>

// Characters no summary's cell may hold: control characters (a line break or a tab splits the
// printed and exported row, a NUL cuts PostgreSQL's text short) and characters that stand for no
// text (private use, the replacement character a failed decoding leaves). Answers "" when the text
// holds none, else the reason naming the first one and where it stands.
QString CellCharacterProblem(QStringView text);
