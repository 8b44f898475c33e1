#include "settings/ListSelection.h"

#include <QComboBox>
#include <charconv>
#include <cmath>

namespace vidorama {

namespace {
constexpr double kSameValue = 0.000001;
}

void SelectListItem(QComboBox* list, int index) {
    if (index >= 0 && index < list->count())
        list->setCurrentIndex(index);
}

double LeadingNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0;
    if (std::from_chars(begin, end, value).ec != std::errc())
        return 0;
    return value;
}

void SelectListValue(QComboBox* list, const std::string& text) {
    double wanted = LeadingNumber(text);
    for (int i = 0; i < list->count(); ++i) {
        if (std::fabs(LeadingNumber(list->itemText(i).toStdString()) - wanted) < kSameValue) {
            list->setCurrentIndex(i);
            return;
        }
    }
}

} // namespace vidorama
