#pragma once

#include <QtCore/QString>

#include <filesystem>
#include <string>

namespace narv {

// The core's texts and paths as Qt strings. Core texts are UTF-8; their line breaks, written
// "\n\r" or "\r\n" in the messages, become one line feed.
QString ToQString(const std::string& text);
std::string ToStdString(const QString& text);
QString ToQString(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& path);

// A menu caption without its accelerator mark: "&Load Project" -> "Load Project".
QString PlainCaption(const std::string& caption);

} // namespace narv
