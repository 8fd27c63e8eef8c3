#include "tests/text_1250/mp3_tag_1250.h"

#include "media/mp3_tag.h"

bool FillMp3Tag(const std::string& tagFile, const std::string& namePath, bool readOnly, std::string& line) {
    line.clear();  // as the Text form leaves it when mp3_tag.txt cannot be opened
    Text text;
    const bool result = FillMp3Tag(From1250(tagFile), From1250(namePath), readOnly, text);
    line = To1250(text);
    return result;
}
