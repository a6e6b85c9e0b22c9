#pragma once

#include <QStringView>
#include <QtGlobal>

#include <vector>

// The letters each UTF-16 unit of a text may be searched by: the initials of the character's
// common readings, or, inside a word of the dictionary, the initial the word reads it with (音乐
// YY, 娱乐 YL, 银行 YH). Bit k stands for the letter 'A' + k; a unit the dictionary has no reading
// for gets 0. masks is resized to the text's length.
void PolyphoneInitials(QStringView text, std::vector<quint32> &masks);
