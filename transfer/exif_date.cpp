#include "transfer/exif_date.h"

#include "media/Exif.h"
#include "transfer/destination.h"

std::string AddExifDate(const std::string& destination, const std::string& source) {
    if (!HasExtension(destination)) return destination;
    TExif exif;  // one reader per call, gone on every path
    exif.ReadExif(source);
    if (!exif.HasExif) return destination;
    return PrefixWithDate(destination, exif.DateTime);
}
