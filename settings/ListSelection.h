#pragma once

#include <string>

class QComboBox;

namespace vidorama {

// Selects item index of a drop-down list; an index outside the list leaves the
// selection as it was.
void SelectListItem(QComboBox* list, int index);

// Selects the first item whose text has the same numeric value as text
// ("12" matches "12.00"); without one the selection stays as it was.
void SelectListValue(QComboBox* list, const std::string& text);

// The leading decimal number of a text, 0 when there is none, read the same
// way whatever the user's locale.
double LeadingNumber(const std::string& text);

} // namespace vidorama
