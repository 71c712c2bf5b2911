#include "import/clients_animals/DemoAnonymisation.h"

#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

namespace clinova {

DemoAnonymisation::DemoAnonymisation(std::uint32_t seed) : random_(seed) {}

const std::vector<std::string> &DemoAnonymisation::ListBoxVilleDemo() {
    static const std::vector<std::string> items = [] {
        const char *const utf8[] = {
            "La Rochelle;17000",
            "Aytré;17440",
            "Lagord;17140",
            "Périgny;17180",
            "Châtelaillon-Plage;17340",
            "Nieul-sur-Mer;17137",
            "Dompierre-sur-Mer;17139",
            "Puilboreau;17138",
            "Marans;17230",
            "Saint-Xandre;17138",
            "Angoulins-sur-Mer;17690",
            "Sainte-Soulle;17220",
            "Sainte-Marie-de-Ré;17740",
            "La Flotte;17630",
            "La Jarrie;17220",
            "Saint-Martin-de-Ré;17410",
            "Marsilly;17137",
            "le Bois-Plage-en-Ré;17580",
            "Rivedoux-Plage;17940",
            "Saint-Jean-de-Liversay;17170",
            "Charron;17230",
            "La Jarne;17220",
            "L'Houmeau;17137",
        };
        std::vector<std::string> list;
        for (const char *item : utf8)
            list.push_back(FromUtf8(item));
        return list;
    }();
    return items;
}

const std::string &DemoAnonymisation::DemoTownItem(int lineIndex) {
    const auto &items = ListBoxVilleDemo();
    if (lineIndex % 2 != 0)
        return items.front();
    std::uniform_int_distribution<std::size_t> pick(0, items.size() - 1);
    return items[pick(random_)];
}

std::string DemoAnonymisation::RandomDigits(int count) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + digit(random_));
    return digits;
}

std::string DemoAnonymisation::MakeDemoHomePhone() {
    return FormatPhoneNumber("0546" + RandomDigits(6));
}

std::string DemoAnonymisation::MakeDemoMobilePhone() {
    return FormatPhoneNumber("06" + RandomDigits(8));
}

std::string DemoAnonymisation::MakeDemoEmail(int lineIndex) {
    return "mon.email" + std::to_string(lineIndex) + "@" + kDemoMailDomain;
}

} // namespace clinova
