-- The agenda, the address book of professional contacts with their categories, and the towns table. Text
-- columns are as long as the import cuts them; the appointment texts, which the import does not cut, are
-- given room for what a practice writes there, so that a longer value fails its line.

CREATE SEQUENCE CURRENT_ID_RDV;
CREATE SEQUENCE CURRENT_ID_CONTACT;
CREATE SEQUENCE CURRENT_ID_CONTACT_CAT;
CREATE SEQUENCE CURRENT_ID_CONTACT_OF_CAT;
-- The towns table has two generators: the import of VILLES.TXT draws from the first, the fill from the
-- clients' addresses from the second.
CREATE SEQUENCE CURRENT_ID_VILLES;
CREATE SEQUENCE CURRENT_ID_VILLE;

CREATE TABLE RDV (
    ID                  INTEGER NOT NULL PRIMARY KEY,
    IDVETO              INTEGER,
    DATERDV             DATE,
    DATETIMERDV         TIMESTAMP,
    DUREEMIN            INTEGER,
    REALISED            CHAR(1),
    IDCLIENT            INTEGER,
    NOMCLIENT           VARCHAR(121),
    IDANIMAL            INTEGER,
    NOMANIMAL           VARCHAR(60),
    ALARME              VARCHAR(60),
    RDVEXTERIEUR        CHAR(1),
    VISITEUR            CHAR(1),
    CASREFERENCE        CHAR(1),
    CASREFERENCEPAR     VARCHAR(121),
    CASMEDICAL          VARCHAR(255),
    CASCHIRURGIE        VARCHAR(255),
    CASANALYSE          VARCHAR(255),
    CASRADIO            VARCHAR(255),
    CASSUIVI            VARCHAR(255),
    CASDIVERS           VARCHAR(255),
    TACHES              BLOB SUB_TYPE TEXT,
    PRESENTE_PAR        VARCHAR(60),
    -- the reason shown in the agenda
    RAISON              VARCHAR(255),
    TITRE               VARCHAR(15),
    NOM                 VARCHAR(60),
    PRENOM              VARCHAR(60),
    CP                  VARCHAR(10),
    VILLE               VARCHAR(60),
    TELFAXTYPE11        VARCHAR(15),
    -- the number as the source program wrote it
    TELFAXNUM11         VARCHAR(20),
    TELFAXNUM12         VARCHAR(20),
    TELFAXNUM13         VARCHAR(20),
    -- up to three address lines separated by a single CR
    RUE                 VARCHAR(184),
    ESPECE              VARCHAR(60),
    RACE                VARCHAR(60),
    SEXE                VARCHAR(30),
    RAISON_COLOR        INTEGER,
    NUM_VERSION         INTEGER,
    TYPE_RDV            INTEGER,
    NOTES               BLOB SUB_TYPE TEXT,
    IDUSER_MAKE_RDV     INTEGER,
    USE_OTHER_COLOR     INTEGER,
    OTHER_COLOR         INTEGER,
    EMAILPERSO          VARCHAR(50),
    EMAILBURO           VARCHAR(50),
    ID_SITE             INTEGER,
    SALLE               INTEGER,
    -- when the row last changed, in UTC, for the product's web agenda
    WEB_DT_UTC0_CHANGE  TIMESTAMP
);

CREATE INDEX IDX_RDV_DATE ON RDV (ID_SITE, DATERDV);

CREATE TABLE CONTACT (
    ID                              INTEGER NOT NULL PRIMARY KEY,
    SOCIETE                         VARCHAR(60),
    FONCTION                        VARCHAR(50),
    TITRE                           VARCHAR(60),
    NOM                             VARCHAR(60),
    PRENOM                          VARCHAR(60),
    -- up to three address lines joined by CR LF
    RUE                             VARCHAR(184),
    CP                              VARCHAR(10),
    VILLE                           VARCHAR(60),
    TELTYPE1                        VARCHAR(15),
    TELNUM1                         VARCHAR(15),
    LR1                             CHAR(1),
    TELTYPE2                        VARCHAR(15),
    TELNUM2                         VARCHAR(15),
    LR2                             CHAR(1),
    TELTYPE3                        VARCHAR(15),
    TELNUM3                         VARCHAR(15),
    LR3                             CHAR(1),
    FAX                             VARCHAR(15),
    MINITEL                         VARCHAR(15),
    EMAILPERSO                      VARCHAR(50),
    SITEWEBPERSO                    VARCHAR(50),
    EMAILBOULO                      VARCHAR(50),
    SITEWEBBOULO                    VARCHAR(50),
    NOTES                           BLOB SUB_TYPE TEXT,
    -- a veterinarian the practice works with
    ALD_FONCTION                    VARCHAR(50),
    ALD_ECOLE                       VARCHAR(60),
    ALD_DATESORTIE                  DATE,
    ALD_DATETHESE                   DATE,
    ALD_CES                         VARCHAR(60),
    ALD_SPECIALISATIONS             BLOB SUB_TYPE TEXT,
    ALD_AUTRE_CLINIQUE              BLOB SUB_TYPE TEXT,
    -- a locum
    REMPLACANT_FONCTION             VARCHAR(50),
    REMPLACANT_ECOLE                VARCHAR(60),
    REMPLACANT_DATESORTIE           DATE,
    REMPLACANT_DATETHESE            DATE,
    REMPLACANT_CES                  VARCHAR(60),
    REMPLACANT_SPECIALISATIONS      BLOB SUB_TYPE TEXT,
    REMPLACANT_REFAUTRESCLINIQUES   BLOB SUB_TYPE TEXT,
    REMPLACANT_DISPODU1             DATE,
    REMPLACANT_DISPOAU1             DATE,
    REMPLACANT_DISPODU2             DATE,
    REMPLACANT_DISPOAU2             DATE,
    REMPLACANT_PRIX                 DOUBLE PRECISION,
    REMPLACANT_PRIXGARDE            DOUBLE PRECISION,
    REMPLACANT_PRIXASTREINTE        DOUBLE PRECISION,
    COLOR_USER                      INTEGER,
    CODE_MINITEL                    VARCHAR(30),
    CODE_SITEWEBBOULO               VARCHAR(30)
);

CREATE TABLE CONTACT_CAT (
    ID          INTEGER NOT NULL PRIMARY KEY,
    LIBELLE     VARCHAR(60)
);

CREATE INDEX IDX_CONTACT_CAT_LIBELLE ON CONTACT_CAT (LIBELLE);

-- Which contact is filed under which category.
CREATE TABLE CONTACT_OF_CAT (
    ID          INTEGER NOT NULL PRIMARY KEY,
    IDCAT       INTEGER,
    IDCONTACT   INTEGER
);

CREATE INDEX IDX_CONTACT_OF_CAT_CONTACT ON CONTACT_OF_CAT (IDCONTACT);

-- The towns and their postcodes offered when an address is typed.
CREATE TABLE VILLES (
    ID          INTEGER NOT NULL PRIMARY KEY,
    CODEPOSTAL  VARCHAR(10),
    VILLE       VARCHAR(60),
    -- not known to the import: NULL from VILLES.TXT, empty from the clients' addresses
    DEBUTTEL    VARCHAR(10)
);
