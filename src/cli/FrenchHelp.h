#pragma once
// The command line's own texts in French: the help's layout and the parser's usage errors.

#include <CLI/CLI.hpp>

#include <string>

namespace clinova {

// The help laid out with French headings ("Utilisation :", "Options :", "Commandes :") and type names
// ("TEXTE", "ENTIER", "OBLIGATOIRE").
class FrenchFormatter : public CLI::Formatter {
public:
    FrenchFormatter();
    std::string make_group(std::string group, bool is_positional, std::vector<const CLI::Option *> opts) const override;
    std::string make_usage(const CLI::App *app, std::string name) const override;
    std::string make_subcommands(const CLI::App *app, CLI::AppFormatMode mode) const override;
    // Descriptions wrapped so that the help fits an 80-column terminal.
    std::string make_option_desc(const CLI::Option *opt) const override;
    std::string make_subcommand(const CLI::App *sub) const override;
    std::string make_option_opts(const CLI::Option *opt) const override;
    std::string make_option(const CLI::Option *opt, bool is_positional) const override;
};

// A usage error of the parser said in French: "--source est obligatoire", "Commande inconnue : x"... app is the
// program's application, as the parse that failed left it.
std::string FrenchUsageError(const CLI::ParseError &error, const CLI::App &app);

} // namespace clinova
