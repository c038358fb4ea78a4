// The main window's captions.
#pragma once

class QWidget;

// Sets every translated caption below root (found by object name) and the
// window title of root in the interface language.
void applyCaptions(QWidget *root);

// The captions the window is designed with, shown when the printer I/O
// library cannot be loaded.
void applyDesignedCaptions(QWidget *root);
