#include "gauges/SevenSegmentFont.h"

#include <fontconfig/fontconfig.h>

const char* const kSevenSegmentFamily = "DSEG7 Classic";

static bool FamilyInstalled(FcConfig* config, const char* family)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(config, pattern, objects);
    const bool found = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

bool RegisterSevenSegmentFace()
{
    if (!FcInit())
        return false;
    FcConfig* config = FcConfigGetCurrent();
    if (!config || !FamilyInstalled(config, kSevenSegmentFamily))
        return false;
    static const char kAlias[] =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
        "<fontconfig>\n"
        "  <match target=\"pattern\">\n"
        "    <test name=\"family\" qual=\"any\"><string>7 Segment</string></test>\n"
        "    <edit name=\"family\" mode=\"assign\" binding=\"strong\"><string>DSEG7 Classic</string></edit>\n"
        "  </match>\n"
        "</fontconfig>\n";
    return FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kAlias),
                                          FcTrue) == FcTrue;
}
