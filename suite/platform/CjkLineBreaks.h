#pragma once

#include <QString>

// HTML source broken into lines inside a Chinese sentence: the line break (with the indentation
// around it) would show as a space between two characters, as HTML turns any break into one.
// Returns the source with every such break removed; tags between the two characters are kept, and a
// break next to any other character (a Latin word, a digit) is left as it is.
QString JoinCjkLineBreaks(const QString &html);
