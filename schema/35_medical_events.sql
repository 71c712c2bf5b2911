-- Notes of the medical files, events (dated acts such as vaccinations), their reminders, and the event
-- models whose CONTENT configures the reminders of each kind of event. The event and reminder steps store
-- their labels as read: those columns are wide enough for the labels of the files; a longer value fails
-- its line instead of being cut silently. The event models are cut to 60 characters by the import.

CREATE SEQUENCE GEN_NOTES_DOSSIER;
CREATE SEQUENCE GEN_EVENTS;
CREATE SEQUENCE GEN_RELANCES;
CREATE SEQUENCE GEN_RELANCES_CONFIG;

CREATE TABLE NOTES_DOSSIER (
    ID                  INTEGER NOT NULL PRIMARY KEY,
    ID_ANIMAL           INTEGER,
    ID_USER             INTEGER,
    DT_RECORD           TIMESTAMP,
    SUMMARY             BLOB SUB_TYPE TEXT,
    ID_HOSPI            INTEGER,
    ID_SITE             INTEGER
);

CREATE TABLE EVENTS (
    ID                          INTEGER NOT NULL PRIMARY KEY,
    -- the last reminder imported for this event, -1 without one
    ID_RELANCE                  INTEGER,
    ID_ANIMAL                   INTEGER,
    ID_CLIENT                   INTEGER,
    LIBELLE_CATEGORIE           VARCHAR(255),
    LIBELLE_EVENT               VARCHAR(255),
    EVENT_TYPE                  INTEGER,
    THE_DATE                    DATE,
    PRODUIT                     VARCHAR(255),
    NUMERO_LOT                  VARCHAR(255),
    RELANCE_DANS_NB_JOURS       INTEGER,
    LIBELLE_NEXT_EVENT          VARCHAR(255),
    PREVOIR_FACTURATION         INTEGER,
    CODE_ACTE                   VARCHAR(30),
    ID_ARTICLE_RESTE_A_FACTURER INTEGER,
    VETO                        VARCHAR(60),
    ORIGINE                     INTEGER,
    ID_USER                     INTEGER,
    ID_SITE                     INTEGER
);

CREATE TABLE RELANCES (
    ID                      INTEGER NOT NULL PRIMARY KEY,
    -- the event that caused the reminder, -1 when it is not known
    ID_EVENT                INTEGER,
    ID_ANIMAL               INTEGER,
    ID_CLIENT               INTEGER,
    LIBELLE_CATEGORIE       VARCHAR(255),
    LIBELLE_EVENT           VARCHAR(255),
    EVENT_TYPE              INTEGER,
    THE_DATE                DATE,
    THE_DATE_DEBUT_CYCLE    DATE,
    ID_NEXT_RELANCE         INTEGER,
    -- "Réalisé" once the reminder was carried out
    STATUS_ACTION           VARCHAR(30),
    L1                      INTEGER,
    E1                      INTEGER,
    S1                      INTEGER,
    L2                      INTEGER,
    E2                      INTEGER,
    S2                      INTEGER,
    ORIGINE                 INTEGER,
    ID_USER                 INTEGER,
    ID_SITE                 INTEGER
);

CREATE TABLE RELANCES_CONFIG (
    ID                  INTEGER NOT NULL PRIMARY KEY,
    LIBELLE_CATEGORIE   VARCHAR(60),
    LIBELLE_EVENT       VARCHAR(60),
    -- the reminder configuration of the model, as INI text
    CONTENT             BLOB SUB_TYPE TEXT
);

-- The event models step looks each model up by its two labels before creating it.
CREATE INDEX IDX_RELANCES_CONFIG_LIBELLES ON RELANCES_CONFIG (LIBELLE_CATEGORIE, LIBELLE_EVENT);
