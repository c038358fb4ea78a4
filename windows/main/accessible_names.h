// What assistive technology reads for the main window's controls, in the
// interface language: each control a name of its own (the nine "No Set"
// boxes, the nine set buttons and the on/off pairs say which setting they
// are), and the labels bound to their lists. The captions stay as designed.
#pragma once

class QWidget;

// Names every control below root in the interface language, with the
// tooltips that say what a control also leads to.
void applyAccessibleNames(QWidget *root);
// Binds the labels to the lists they name (once, at construction).
void bindLabels(QWidget *root);
