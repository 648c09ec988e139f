// Text from others shown beside our own: explicit direction controls
// (embeddings, overrides, isolates) are dropped, so no one can make a link
// or a nick show reordered.
#pragma once

#include <QString>

QString WithoutDirectionControls(QString text);
