#pragma once
// The keys of the settings file, described once: name, how the text reads, the value when the key
// is absent, the value a new Settings holds before any file is read (the design value, what a
// first start shows until the file is loaded), and when it is written. Load, save, the Settings
// value's defaults and the tests all read this table; the rows stand in the order of writing.
//
// The two values differ on purpose for a few keys: the window is laid out at its design values
// (text size 10, both extra computer players on, no bot speed until the host's default is
// known), while a file without the key gives the value an older file implied (text size 8, no
// extra computer players, normal bot speed). The nine phrases are a list of their own
// ("Phrase1".."Phrase9", written only by the phrase editor) and are not rows here.

// Qt
#include <QtGlobal>

// std
#include <array>
#include <cstddef>
#include <limits>
#include <string_view>

namespace pelvo {

struct Settings;

enum class SettingId {
    TextSize,
    Top,
    Left,
    Width,
    Height,
    ChatColour,
    PlayToScore,
    Bot3,
    Bot4,
    BotSpeed,
    TurnSound,
    PlayerPhraseSounds,
    PlaySounds,
    BotLevel,
    FourColourSuits,
    Zoom,
    HoldSeats,
};

// How a key's text reads; text that does not read gives the value when absent unless noted.
enum class SettingType {
    Number, // decimal with an optional sign, within [lo, hi] (clamped when `clamp`)
    Choice, // one of `choices`, compared exactly (any letter case when `anyCase`)
    Flag,   // "true" or "false"
    Colour, // a colour's name or number
};

// When save writes a key.
enum class SettingWrite {
    Always,
    // Once it holds something but the value when absent, or the file has it already: a player
    // who never chose it keeps the file as it was.
    OnceChosen,
    // Always, but a refused write is skipped and the save goes on.
    AlwaysUnlessRefused,
};

struct SettingChoice {
    std::string_view text; // empty: no further choice
    int value = 0;
};

struct SettingKey {
    SettingId id;
    std::string_view name;
    SettingType type;
    qint64 absent; // the value when the key is missing, or its text does not read
    qint64 design; // the value of a new Settings
    SettingWrite write = SettingWrite::Always;
    int lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    bool clamp = false;
    // Text that does not read leaves the value the settings already hold.
    bool keepUnreadable = false;
    std::array<SettingChoice, 3> choices{};
    bool anyCase = false;
};

inline constexpr std::array<SettingKey, 17> settingKeys{{
    {.id = SettingId::TextSize,
     .name = "Textsize",
     .type = SettingType::Number,
     .absent = 8,
     .design = 10,
     .lo = 1,
     .hi = 72},
    {.id = SettingId::Top, .name = "Top", .type = SettingType::Number, .absent = 3, .design = 0},
    {.id = SettingId::Left, .name = "Left", .type = SettingType::Number, .absent = 3, .design = 0},
    {.id = SettingId::Width,
     .name = "Width",
     .type = SettingType::Number,
     .absent = 772,
     .design = 0},
    {.id = SettingId::Height,
     .name = "Height",
     .type = SettingType::Number,
     .absent = 580,
     .design = 0},
    {.id = SettingId::ChatColour,
     .name = "Textcolor",
     .type = SettingType::Colour,
     .absent = 0,
     .design = 0,
     .write = SettingWrite::AlwaysUnlessRefused},
    {.id = SettingId::PlayToScore,
     .name = "Playtoscore",
     .type = SettingType::Number,
     .absent = 5,
     .design = 5,
     .lo = 3,
     .hi = 9,
     .clamp = true,
     .keepUnreadable = true},
    {.id = SettingId::Bot3,
     .name = "Bot3",
     .type = SettingType::Number,
     .absent = 0,
     .design = 1,
     .lo = 0,
     .hi = 1},
    {.id = SettingId::Bot4,
     .name = "Bot4",
     .type = SettingType::Number,
     .absent = 0,
     .design = 1,
     .lo = 0,
     .hi = 1},
    {.id = SettingId::BotSpeed,
     .name = "Botspeed",
     .type = SettingType::Choice,
     .absent = 1000,
     .design = 0,
     .choices = {{{"500", 500}, {"1000", 1000}, {"2000", 2000}}}},
    {.id = SettingId::TurnSound,
     .name = "Turnsound",
     .type = SettingType::Choice,
     .absent = 0,
     .design = 0,
     .choices = {{{"0", 0}, {"1", 1}}}},
    {.id = SettingId::PlayerPhraseSounds,
     .name = "Playerphrasesounds",
     .type = SettingType::Flag,
     .absent = true,
     .design = true},
    {.id = SettingId::PlaySounds,
     .name = "Playsounds",
     .type = SettingType::Flag,
     .absent = true,
     .design = true},
    {.id = SettingId::BotLevel,
     .name = "Botlevel",
     .type = SettingType::Choice,
     .absent = 0,
     .design = 0,
     .write = SettingWrite::OnceChosen,
     .choices = {{{"Classic", 0}, {"Expert", 1}}},
     .anyCase = true},
    {.id = SettingId::FourColourSuits,
     .name = "Foursuits",
     .type = SettingType::Flag,
     .absent = false,
     .design = false,
     .write = SettingWrite::OnceChosen},
    {.id = SettingId::Zoom,
     .name = "Zoom",
     .type = SettingType::Number,
     .absent = 100,
     .design = 100,
     .write = SettingWrite::OnceChosen,
     .lo = 100,
     .hi = 400,
     .clamp = true},
    {.id = SettingId::HoldSeats,
     .name = "Holdseats",
     .type = SettingType::Flag,
     .absent = false,
     .design = false,
     .write = SettingWrite::OnceChosen},
}};

constexpr const SettingKey& settingKey(SettingId id) {
    return settingKeys[std::size_t(id)];
}
// Rows stand at their id's place, so settingKey() is a plain index.
static_assert([] {
    for (std::size_t i = 0; i < settingKeys.size(); ++i)
        if (std::size_t(settingKeys[i].id) != i) return false;
    return true;
}());

// The value of a key in `settings`, and setting it (flags are 0 and 1).
qint64 settingValue(const Settings& settings, SettingId id);
void setSettingValue(Settings& settings, SettingId id, qint64 value);

} // namespace pelvo
