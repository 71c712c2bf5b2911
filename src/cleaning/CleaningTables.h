#pragma once
// The tables the cleaning actions empty, in the order they are emptied, and the generators they restart.
// A name may occur twice in a list: its second pass finds the table empty.

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// Clients, animals, medical records, accounting, agenda...: the tables btnDelete empties.
const std::vector<std::string_view> &TablesAViderTout();
// The accounting of every site: the tables XiButton2 empties.
const std::vector<std::string_view> &TablesAViderComptaTousLesSites();
// The accounting of one site, purged table by table on ID_SITE. The same names as the list of all sites
// today, kept apart so that the two can differ.
const std::vector<std::string_view> &TablesAViderComptaDUnSite();

// Tables too large to delete in one statement: emptied 100 identifiers at a time.
bool IsBatchTable(std::string_view table);

// The links between invoices and receipts. No list names it, yet once the invoices and receipts are gone
// its rows point at nothing, and at the wrong documents once the accounting generators restart.
inline constexpr std::string_view kLinkFacturesEcritures = "LINK_FACTURES_ECRITURES";

// The statements that restart the client and animal identifiers, after btnDelete.
const std::vector<std::string> &ClientAnimalGeneratorRestarts();
// The statements that restart the accounting numbers and identifiers of every site, after XiButton2.
const std::vector<std::string> &AccountingGeneratorRestarts();
// The five number generators of one site (sites 2 to 100 have their own).
std::vector<std::string> SiteGeneratorRestarts(int site);
inline constexpr int kFirstSiteWithGenerators = 2;
inline constexpr int kLastSiteWithGenerators = 100;

} // namespace clinova
