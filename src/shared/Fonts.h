#pragma once

// Maps the window's designed faces (宋体, MS Sans Serif) to the CJK faces the machine has, so that
// Chinese never renders as empty boxes. Safe to call more than once.
void InstallFontSubstitutions();
