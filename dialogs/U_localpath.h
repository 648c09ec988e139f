// Paths as the file system spells them (bytes in its encoding, kept in the
// settings) and as the windows show them.
#pragma once

#include <QString>
#include <string>

QString FromLocalPath(const std::string& path);
std::string ToLocalPath(const QString& path);
// `folder` with a trailing "/".
std::string WithSlash(std::string folder);
