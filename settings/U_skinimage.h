// Loads a picture the skin downloaded: JPEG through libjpeg, anything else
// through Qt's image readers.
#pragma once

#include <QImage>

// A null image when the file is missing, unreadable, broken or too large.
QImage LoadSkinPicture(const char* path);
