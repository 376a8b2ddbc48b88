#pragma once
// Value name -> current value. Keys compare exactly (case-sensitive).
#include <wx/hashmap.h>
#include <wx/string.h>

WX_DECLARE_STRING_HASH_MAP(double, ValueMap);
