#include "text/DeviceFonts.h"

#include "text/FontLibrary.h"
#include "text/FreeTypeGlyphs.h"

#include <fontconfig/fontconfig.h>
#include <map>
#include <mutex>

namespace vidorama::swf {

namespace {

std::string SystemFamily(const std::string& face) {
    if (SameFontName(face, "_sans"))
        return "Arial";
    if (SameFontName(face, "_serif"))
        return "Times New Roman";
    if (SameFontName(face, "_typewriter"))
        return "Courier New";
    return face;
}

} // namespace

struct DeviceFonts::Impl {
    FT_Library library = nullptr;
    // A configuration of our own, loaded when a field first asks for a
    // device font: the process-wide one is never freed (which leak checkers
    // report) and belongs to whatever else uses fontconfig.
    FcConfig* config = nullptr;
    bool configLoaded = false;
    // Opened faces by file and index; null for files that failed to open.
    std::map<std::pair<std::string, int>, FT_Face> faces;
    // Text fields laid out again while movies play share the faces.
    std::mutex mutex;

    ~Impl() {
        for (auto& [key, face] : faces)
            if (face)
                FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
        if (config)
            FcConfigDestroy(config);
    }

    FT_Face open(const std::string& face, bool bold, bool italic);
};

FT_Face DeviceFonts::Impl::open(const std::string& name, bool bold, bool italic) {
    if (!configLoaded) {
        config = FcInitLoadConfigAndFonts();
        configLoaded = true;
    }
    if (!library || !config)
        return nullptr;
    std::string family = SystemFamily(name);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    std::pair<std::string, int> key;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        key = {reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
    if (key.first.empty())
        return nullptr;
    auto [it, inserted] = faces.emplace(key, nullptr);
    if (inserted && FT_New_Face(library, key.first.c_str(), key.second, &it->second) != 0)
        it->second = nullptr;
    return it->second;
}

DeviceFonts::DeviceFonts() : m_impl(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&m_impl->library) != 0)
        m_impl->library = nullptr;
}

DeviceFonts::~DeviceFonts() = default;

std::shared_ptr<const FontDef> DeviceFonts::font(const std::string& name, bool bold, bool italic,
                                                 const std::u32string& chars) {
    std::lock_guard lock(m_impl->mutex);
    FT_Face face = m_impl->open(name, bold, italic);
    if (!face || face->units_per_EM == 0)
        return nullptr;
    FontDef::Data data = FreeTypeFontData(face, chars);
    data.name = name;
    data.bold = bold;
    data.italic = italic;
    data.deviceFont = true;
    return std::make_shared<const FontDef>(0, std::move(data));
}

} // namespace vidorama::swf
