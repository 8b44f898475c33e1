#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vidorama {

// Lets the user pick a folder; "" when cancelled. Replaceable so that tests
// can answer in the user's place.
using FolderBrowser = std::function<QString(QWidget* owner, const QString& title)>;

// The system's folder browser.
QString BrowseForFolder(QWidget* owner, const QString& title);

} // namespace vidorama
