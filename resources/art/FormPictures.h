// The pictures stored inside the installer's form descriptions (icons, the wizard's side
// picture, a button glyph) are drawn by this program; the descriptions keep them as the
// hex data of their properties. Update rewrites those blocks from fresh drawings; Check
// tells whether the descriptions still hold exactly what the program draws.
#pragma once

#include <string>
#include <vector>

namespace art {

// Returns the names of the descriptions (in FormsDir) that were changed, or, for Check,
// that differ. Raises std::runtime_error when a description or a property is missing.
std::vector<std::string> UpdateFormPictures(const std::string& FormsDir, bool CheckOnly);

}  // namespace art
