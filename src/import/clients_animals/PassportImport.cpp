#include "import/clients_animals/PassportImport.h"

#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"

namespace clinova {

namespace {

const char *const kInsertSQL =
    "insert into passeports\n"
    "(ID, ID_SITE, IDANIMAL, NUMERO_PASSEPORT, ESPECE, IDENTIFICATION, ADRESSE, PROPRIETAIRE, CP, VILLE, REMARQUE, "
    "DATE_DELIVRANCE, DELIVRE_PAR, PAR_MON_ETABLISSEMENT, NOM_ANIMAL)\n"
    "values\n"
    "(:ID, :ID_SITE, :IDANIMAL, :NUMERO_PASSEPORT, :ESPECE, :IDENTIFICATION, :ADRESSE, :PROPRIETAIRE, :CP, :VILLE, "
    ":REMARQUE, :DATE_DELIVRANCE, :DELIVRE_PAR, :PAR_MON_ETABLISSEMENT, :NOM_ANIMAL)";

// Closes the read statements however the passport ends, so that no cursor stays open on the next animal.
class CloseReads {
public:
    CloseReads(Statement &a, Statement &b) : a_(a), b_(b) {}
    ~CloseReads() {
        try {
            a_.Close();
            b_.Close();
        } catch (...) {
            // The error already leaving the passport, if any, is the one the line reports.
        }
    }
    CloseReads(const CloseReads &) = delete;
    CloseReads &operator=(const CloseReads &) = delete;

private:
    Statement &a_;
    Statement &b_;
};

} // namespace

PassportImport::PassportImport(TargetDatabase &db, int siteID)
    : db_(db), siteID_(siteID), Q1_(db, kInsertSQL),
      // Prepared once with their parameter, rather than once per passport with the identifier in the text.
      Q2_(db, "select ID, NOM, ESPECE, PUCE_NUM, TATOUNUM  from animaux where id=:ID"),
      Q3_(db, "select ID, TITRE, NOM, RUE1,CP1,VILLE1 from clients where id=:ID") {}

void PassportImport::doAddPasseport(const std::string &passportNumber, const std::string &dateText, int clientID,
                                    int animalID) {
    if (Trim(passportNumber).empty() || dateText.empty())
        return;
    const Date issued = ParseDateDMY(dateText);

    CloseReads closing(Q2_, Q3_);
    Q2_.SetInt("ID", animalID);
    if (!Q2_.Open())
        return;
    Q3_.SetInt("ID", clientID);
    if (!Q3_.Open())
        return;

    const int id = db_.GetNewID("CURRENT_PASSEPORT");
    if (id == -1)
        return;

    std::string identification = Trim(Q2_.GetText("PUCE_NUM"));
    if (identification.empty())
        identification = Trim(Q2_.GetText("TATOUNUM"));

    Q1_.ClearParameters();
    Q1_.SetInt("ID", id);
    Q1_.SetInt("ID_SITE", siteID_);
    Q1_.SetInt("IDANIMAL", animalID);
    Q1_.SetText("NUMERO_PASSEPORT", passportNumber);
    Q1_.SetText("ESPECE", Q2_.GetText("ESPECE"));
    Q1_.SetText("IDENTIFICATION", identification);
    Q1_.SetText("ADRESSE", Q3_.GetText("RUE1"));
    // The blank is there even when the title is empty.
    Q1_.SetText("PROPRIETAIRE", Trim(Q3_.GetText("TITRE")) + " " + Trim(Q3_.GetText("NOM")));
    Q1_.SetText("CP", Q3_.GetText("CP1"));
    Q1_.SetText("VILLE", Q3_.GetText("VILLE1"));
    Q1_.SetText("REMARQUE", "");
    Q1_.SetDate("DATE_DELIVRANCE", issued);
    Q1_.SetText("DELIVRE_PAR", "");
    Q1_.SetInt("PAR_MON_ETABLISSEMENT", 1);
    Q1_.SetText("NOM_ANIMAL", Q2_.GetText("NOM"));
    Q1_.Execute();
}

} // namespace clinova
