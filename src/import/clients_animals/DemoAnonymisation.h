#pragma once
// Demonstration data made from a real client file: towns of the La Rochelle area, random phone numbers
// and made-up e-mail addresses replace the client's own.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace clinova {

// The mail domain of the demonstration addresses; reserved for examples, so no mail can reach anyone.
inline constexpr const char *kDemoMailDomain = "clinova-demo.example";

class DemoAnonymisation {
public:
    explicit DemoAnonymisation(std::uint32_t seed);

    // ListBoxVilleDemo: 23 items, each the town, a semicolon and the postcode.
    static const std::vector<std::string> &ListBoxVilleDemo();

    // The town item of the line of index i (from 1): the first item on odd lines, a random one otherwise.
    const std::string &DemoTownItem(int lineIndex);
    // "05 46" and three random pairs.
    std::string MakeDemoHomePhone();
    // "06" and four random pairs.
    std::string MakeDemoMobilePhone();
    // "mon.email" + i + "@" + the demonstration domain.
    static std::string MakeDemoEmail(int lineIndex);

private:
    std::string RandomDigits(int count);

    std::mt19937 random_;
};

} // namespace clinova
