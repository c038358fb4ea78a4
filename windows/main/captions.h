// The main window's captions in both languages.
#pragma once

class QWidget;

// Sets every translated caption below root (found by object name) and the
// window title of root to the chosen language.
void applyCaptions(QWidget *root, bool chinese);

// The captions the window is designed with, shown when the printer I/O
// library cannot be loaded.
void applyDesignedCaptions(QWidget *root);
