#include "session/Settings.h"

namespace pelvo {

QStringList Settings::designPhrases() {
    return {"Way To Go!", "Good One!", "Nice Try!",         "Excellent!",         "Brilliant!",
            "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!"};
}

} // namespace pelvo
