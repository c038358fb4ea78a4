// The Chinese texts of the core's own words (the printer conditions' names),
// built into every program that links the core; the windows and the tool
// install them beside their own.
#pragma once

class QTranslator;

// Loads them into translator; false when the build lacks them.
bool loadCoreChinese(QTranslator &translator);
