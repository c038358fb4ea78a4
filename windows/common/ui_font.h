// The interface font: small, with CJK glyphs, so that no caption is clipped
// in the window's fixed geometry in either language.
#pragma once

void applyInterfaceFont();
