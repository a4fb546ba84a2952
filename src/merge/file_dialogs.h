// The open and save dialogs as the fax merge asks for them: a filter in the Windows form (pairs of
// description and pattern, each ended by NUL, the whole ended by a second NUL) and the chosen path
// back as text, empty when the user cancelled.
#pragma once

#include <string>
#include <vector>

#include "app/addin.h"

namespace telvora {

// The texts, each followed by NUL, "*.*" and NUL added for a last description without a pattern,
// and one more NUL; empty for an empty list.
std::string BuildFilter(const std::vector<std::string>& texts);

// Asks for a file with the open (`open` true) or save dialog; the chosen path without surrounding
// blanks, or "" when the user cancelled. The save dialog asks before an existing file is replaced.
std::string ShowFileDialog(Addin& addin, const std::string& initialFolder, const std::string& title,
                           const std::string& filter, const std::string& defaultExtension, bool open);

}  // namespace telvora
