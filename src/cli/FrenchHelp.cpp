#include "cli/FrenchHelp.h"

#include <algorithm>
#include <regex>
#include <sstream>

namespace clinova {

namespace {

constexpr std::size_t kNameColumns = 26;
constexpr std::size_t kTerminalColumns = 80;

// Characters of a UTF-8 text, not bytes: the continuation bytes are not counted.
std::size_t Columns(const std::string &text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

// The text cut between words into lines of at most width columns, joined by '\n' (the formatter indents them).
std::string Wrapped(const std::string &text, std::size_t width) {
    std::string out, line;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!line.empty() && Columns(line) + 1 + Columns(word) > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + line;
}

// A line of the help: the name, then the description in its column, aligned by characters (CLI11 counts the
// bytes, which "RÉPERTOIRE" would shift), each line of the description in that column.
std::string HelpEntry(const std::string &name, const std::string &description) {
    std::string out = "  " + name;
    const std::size_t used = Columns(out);
    if (used >= kNameColumns)
        out += "\n" + std::string(kNameColumns, ' ');
    else
        out += std::string(kNameColumns - used, ' ');
    for (const char c : description) {
        out.push_back(c);
        if (c == '\n')
            out += std::string(kNameColumns, ' ');
    }
    return out + "\n";
}

} // namespace

FrenchFormatter::FrenchFormatter() {
    label("Usage", "Utilisation");
    label("OPTIONS", "OPTIONS");
    label("SUBCOMMAND", "COMMANDE");
    label("SUBCOMMANDS", "COMMANDES");
    label("Positionals", "Arguments");
    label("REQUIRED", "OBLIGATOIRE");
    label("TEXT", "TEXTE");
    label("INT", "ENTIER");
    label("UINT", "ENTIER");
    label("FLOAT", "NOMBRE");
    label("Env", "Variable");
    label("Needs", "avec");
    label("Excludes", "sans");
    column_width(kNameColumns);
}

std::string FrenchFormatter::make_option_desc(const CLI::Option *opt) const {
    return Wrapped(opt->get_description(), kTerminalColumns - kNameColumns - 1);
}

// "--rehearse sans --resume", without the colon CLI11 puts after its English words.
std::string FrenchFormatter::make_option_opts(const CLI::Option *opt) const {
    std::string opts = CLI::Formatter::make_option_opts(opt);
    for (const char *key : {"Needs", "Excludes"}) {
        const std::string labelled = " " + get_label(key) + ":";
        for (auto at = opts.find(labelled); at != std::string::npos; at = opts.find(labelled))
            opts.erase(at + labelled.size() - 1, 1);
    }
    return opts;
}

std::string FrenchFormatter::make_option(const CLI::Option *opt, bool is_positional) const {
    return HelpEntry(make_option_name(opt, is_positional) + make_option_opts(opt), make_option_desc(opt));
}

std::string FrenchFormatter::make_subcommand(const CLI::App *sub) const {
    return HelpEntry(sub->get_display_name(true), Wrapped(sub->get_description(), kTerminalColumns - kNameColumns - 1));
}

// French puts a space before the colon of a heading.
std::string FrenchFormatter::make_group(std::string group, bool is_positional,
                                        std::vector<const CLI::Option *> opts) const {
    std::stringstream out;
    out << "\n" << group << " :\n";
    for (const CLI::Option *opt : opts)
        out << make_option(opt, is_positional);
    return out.str();
}

std::string FrenchFormatter::make_usage(const CLI::App *app, std::string name) const {
    std::string usage = CLI::Formatter::make_usage(app, name);
    const std::string english = get_label("Usage") + ":";
    if (usage.rfind(english, 0) == 0)
        usage.replace(0, english.size(), get_label("Usage") + " :");
    return usage;
}

std::string FrenchFormatter::make_subcommands(const CLI::App *app, CLI::AppFormatMode mode) const {
    std::vector<std::string> groups;
    for (const CLI::App *sub : app->get_subcommands({}))
        if (!sub->get_name().empty() && !sub->get_group().empty() &&
            std::find(groups.begin(), groups.end(), sub->get_group()) == groups.end())
            groups.push_back(sub->get_group());
    std::stringstream out;
    for (const std::string &group : groups) {
        out << "\n" << group << " :\n";
        for (const CLI::App *sub : app->get_subcommands({})) {
            if (sub->get_name().empty() || sub->get_group() != group)
                continue;
            if (mode == CLI::AppFormatMode::All)
                out << sub->help(sub->get_name(), CLI::AppFormatMode::Sub) << "\n";
            else
                out << make_subcommand(sub);
        }
    }
    return out.str();
}

namespace {

// The message of the parser's error, whose wording is CLI11's: "NAME: ..." gives NAME.
std::string NameBeforeColon(const std::string &message) {
    const auto colon = message.find(':');
    return colon == std::string::npos ? message : message.substr(0, colon);
}

std::string Joined(const std::vector<std::string> &words) {
    std::string text;
    for (const auto &word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string FrenchExtras(const std::vector<std::string> &extras) {
    if (extras.empty())
        return "argument inattendu";
    if (!extras.front().empty() && extras.front()[0] == '-')
        return "Option inconnue : " + extras.front();
    return (extras.size() > 1 ? "Arguments inattendus : " : "Argument inattendu : ") + Joined(extras);
}

} // namespace

std::string FrenchUsageError(const CLI::ParseError &error, const CLI::App &app) {
    const std::string message = error.what();
    std::smatch match;
    const std::string help = " (voir clinova-import --help)";
    if (dynamic_cast<const CLI::RequiredError *>(&error)) {
        if (message.rfind("A subcommand", 0) == 0) {
            // A word that is no command is left over: the command was misspelt.
            const std::vector<std::string> left = app.remaining();
            for (const auto &word : left)
                if (!word.empty() && word[0] != '-')
                    return "Commande inconnue : " + word + help;
            if (!left.empty())
                return "Option inconnue : " + left.front() + help;
            return "Une commande est obligatoire" + help;
        }
        if (std::regex_match(message, match, std::regex("(.+) is required")))
            return match[1].str() + " est obligatoire";
    }
    if (const auto *extras = dynamic_cast<const CLI::ExtrasError *>(&error)) {
        (void)extras;
        std::vector<std::string> words = app.remaining(true);
        if (app.get_subcommands().empty() && !words.empty() && words.front()[0] != '-')
            return "Commande inconnue : " + words.front() + help;
        return FrenchExtras(words) + help;
    }
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&error))
        return "Valeur manquante pour " + NameBeforeColon(message);
    if (dynamic_cast<const CLI::ConversionError *>(&error)) {
        if (std::regex_match(message, match, std::regex("Could not convert: (.+) = (.*)")))
            return "Valeur incorrecte pour " + match[1].str() + " : " + match[2].str();
        if (std::regex_match(message, match, std::regex("The value (.*) is not an allowed value for (.+)")))
            return "Valeur incorrecte pour " + match[2].str() + " : " + match[1].str();
        return NameBeforeColon(message) + " ne prend pas de valeur";
    }
    if (dynamic_cast<const CLI::ValidationError *>(&error))
        return "Valeur incorrecte pour " + NameBeforeColon(message);
    if (dynamic_cast<const CLI::ExcludesError *>(&error) &&
        std::regex_match(message, match, std::regex("(.+) excludes (.+)")))
        return match[1].str() + " et " + match[2].str() + " ne peuvent pas aller ensemble";
    if (dynamic_cast<const CLI::RequiresError *>(&error) &&
        std::regex_match(message, match, std::regex("(.+) requires (.+)")))
        return match[1].str() + " demande aussi " + match[2].str();
    return "Ligne de commande incorrecte" + help;
}

} // namespace clinova
