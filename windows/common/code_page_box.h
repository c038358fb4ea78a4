// A list of the printer's code pages: each entry shows its display text and
// carries its number.
#pragma once

#include "qt_translations.h"

class QComboBox;

// Fills box with the code pages in language and selects the entry at position.
void fillCodePages(QComboBox *box, Language language, int position);

// The chosen entry's code page number, or -1 when none is chosen.
int chosenCodePage(const QComboBox *box);
