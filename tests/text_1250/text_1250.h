#pragma once
// The core's functions on Windows-1250 bytes, through their Text forms: the
// tests' tables spell names as such bytes.
#include "tests/text_1250/ID3v2_1250.h"
#include "tests/text_1250/batch_text_1250.h"
#include "tests/text_1250/destination_1250.h"
#include "tests/text_1250/mp3_tag_rules_1250.h"
#include "tests/text_1250/name_transforms_1250.h"
#include "tests/text_1250/path_names_1250.h"
#include "tests/text_1250/search_rules_1250.h"
#include "tests/text_1250/text_ops_1250.h"
#ifdef _WIN32
#include "tests/text_1250/mp3_tag_1250.h"
#endif
