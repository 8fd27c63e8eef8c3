#include "media/Exif.h"
#include "platform/file_source.h"
#include "platform/fs.h"

void TExif::ReadExif(const Text& path) {
    if (!FileExists(path)) return;  // an earlier read's values stay
    FileSource file(path);
    ReadExifFrom(file);
}
