-- Consultations. CARTON holds the text of the consultation: a RichView Format document when NUM_VERSION
-- is 1, the older plain tab-marked text when NUM_VERSION is NULL; it is binary either way.

CREATE SEQUENCE CURRENT_ID_CONSULTATION;

CREATE TABLE CONSULT (
    ID                      INTEGER NOT NULL PRIMARY KEY,
    IDANIMAL                INTEGER,
    IDCLIENT                INTEGER,
    ID_SITE                 INTEGER,
    IDFACTURE               INTEGER,
    DATETIME_CONSULT        TIMESTAMP,
    IDVETO_RESPONSABLE      INTEGER,
    IDVETO_CONSULT          INTEGER,
    VUENGARDE               INTEGER,
    VUENURGENCE             INTEGER,
    TEMPERATURE             DOUBLE PRECISION,
    POIDS                   DOUBLE PRECISION,
    REFERE_A                VARCHAR(121),
    CARTON                  BLOB SUB_TYPE 0,
    KEYWORDLIST             VARCHAR(255),
    -- the text of the document on one line, for the lists of the product
    SYNTHESE                BLOB SUB_TYPE TEXT,
    VACCINS                 BLOB SUB_TYPE TEXT,
    MODE                    INTEGER,
    VUADOMICILE             INTEGER,
    IDORDONNANCE            INTEGER,
    IDORDONNANCE_PHARMA     INTEGER,
    NUM_VERSION             INTEGER,
    MOTIF                   VARCHAR(60)
);

-- The duplicate check and the animal summaries read the consultations of one animal by date; without it
-- every line of a large file would read the whole table.
CREATE INDEX IDX_CONSULT_ANIMAL_DATE ON CONSULT (IDANIMAL, DATETIME_CONSULT);
