#include "transfer/exif_date.h"

#include "media/Exif.h"
#include "transfer/destination.h"

Text AddExifDate(const Text& destination, const Text& source) {
    if (!HasExtension(destination)) return destination;
    TExif exif;  // one reader per call, gone on every path
    exif.ReadExif(source);
    if (!exif.HasExif) return destination;
    return PrefixWithDate(destination, From1250(exif.DateTime));
}
