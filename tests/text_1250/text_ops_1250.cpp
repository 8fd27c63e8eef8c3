#include "tests/text_1250/text_ops_1250.h"

#include "text/text.h"
#include "transfer/text_ops.h"

std::string UpperAscii(const std::string& s) { return To1250(UpperAscii(From1250(s))); }

unsigned char Upper1250(unsigned char c) {
    return static_cast<unsigned char>(To1250(Upper1250(From1250(std::string(1, static_cast<char>(c)))))[0]);
}

std::string Upper1250(const std::string& s) { return To1250(Upper1250(From1250(s))); }

std::string Trim(const std::string& s) { return To1250(Trim(From1250(s))); }

std::size_t Pos(const std::string& what, const std::string& s) { return Pos(From1250(what), From1250(s)); }

std::string Str_cut_at_char(const std::string& text, char c, bool deleteIt) {
    return To1250(Str_cut_at_char(From1250(text), From1250(std::string(1, c))[0], deleteIt));
}

std::string Str_field(const std::string& text, const std::string& separator, std::uint8_t n) {
    return To1250(Str_field(From1250(text), From1250(separator), n));
}

std::string Str_replace_all(const std::string& text, const std::string& searched,
                            const std::string& replacement, int limit) {
    return To1250(Str_replace_all(From1250(text), From1250(searched), From1250(replacement), limit));
}

int Str_poc_vyskytu(const std::string& text, const std::string& searched) {
    return Str_poc_vyskytu(From1250(text), From1250(searched));
}

int Str_nth_position(const std::string& text, const std::string& searched, std::uint8_t n) {
    return Str_nth_position(From1250(text), From1250(searched), n);
}

std::string Str_drop_extension(const std::string& text) { return To1250(Str_drop_extension(From1250(text))); }

std::string ReplaceText(const std::string& text, const std::string& searched,
                        const std::string& replacement, bool ignoreCase) {
    return To1250(ReplaceText(From1250(text), From1250(searched), From1250(replacement), ignoreCase));
}

bool TextToInt(const std::string& text, bool whole, std::int32_t& value) {
    return TextToInt(From1250(text), whole, value);
}
