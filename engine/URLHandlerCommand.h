#pragma once
// The engine's URL schemes "zelk:" and "quov:", registered through the
// desktop entry (x-scheme-handler): the desktop starts the engine with the
// URL, or hands it to the running engine over its bus service. The one
// URL handled opens the manual: its part after the first ":",
// percent-decoded, begins with "//manual" in any letter case and holds
// no "&".
#include <QString>

namespace engine {

class URLHandlerCommand {
public:
    enum class Target { None, Manual };
    // What the URL asks for; None for a malformed URL, another scheme or
    // another request.
    static Target targetOfURL(const QString& url);
    // Whether the text is a URL of the engine's schemes at all (a program
    // argument that is one is a request, not a file).
    static bool isEngineURL(const QString& url);
    // Does what the URL asks; false when nothing was done.
    static bool performDefaultImplementation(const QString& url);
};

} // namespace engine
