#pragma once

#include <QString>
#include <initializer_list>

// The component's string table. Throws std::out_of_range for a number it does not hold, as a
// missing resource would fail.
QString LoadResString(int id);
// Several strings of the table joined in order: most messages are built this way.
QString LoadResStrings(std::initializer_list<int> ids);
