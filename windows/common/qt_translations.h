// Qt's own texts (the standard buttons of message boxes, the file dialog) in
// the interface language.
#pragma once

// Installs Qt's Chinese translations when chinese is true and they are
// installed on this machine; removes them otherwise.
void useQtTranslations(bool chinese);
