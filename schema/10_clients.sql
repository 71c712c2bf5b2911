-- Clients, their loyalty rows and the caller identification of their phone numbers. Text columns are as
-- long as the import cuts them, so that a longer value fails its line instead of being cut silently.

CREATE SEQUENCE CURRENT_ID_CLIENT;
CREATE SEQUENCE GEN_FIDELITE01;

CREATE TABLE CLIENTS (
    ID                          INTEGER NOT NULL PRIMARY KEY,
    TITRE                       VARCHAR(15),
    NOM                         VARCHAR(60),
    PRENOM                      VARCHAR(60),
    CATEGORIE                   VARCHAR(60),
    ID_VETERINAIRE              INTEGER,
    VETERINAIRE                 VARCHAR(60),
    PROFESSION                  VARCHAR(60),
    TYPECLIENT                  VARCHAR(60),
    ORIGINE                     VARCHAR(60),
    -- the referring contact's name and first name joined by a blank
    REFERE_PAR                  VARCHAR(121),
    ID_REFERE_PAR               INTEGER,
    DEPASSAGE                   CHAR(1),
    ALIM                        CHAR(1),
    MED                         CHAR(1),
    -- up to three address lines of 60 characters joined by CR LF
    RUE1                        VARCHAR(184),
    CP1                         VARCHAR(10),
    VILLE1                      VARCHAR(60),
    TELFAXTYPE11                VARCHAR(15),
    TELFAXNUM11                 VARCHAR(15),
    TELFAXLR11                  CHAR(1),
    TELFAXTYPE12                VARCHAR(15),
    TELFAXNUM12                 VARCHAR(15),
    TELFAXLR12                  CHAR(1),
    TELFAXTYPE13                VARCHAR(15),
    TELFAXNUM13                 VARCHAR(15),
    TELFAXLR13                  CHAR(1),
    ADRESSECOURRIER1            CHAR(1),
    NOTES1                      BLOB SUB_TYPE TEXT,
    RUE2                        VARCHAR(184),
    CP2                         VARCHAR(10),
    VILLE2                      VARCHAR(60),
    TELFAXTYPE21                VARCHAR(15),
    TELFAXNUM21                 VARCHAR(15),
    TELFAXLR21                  CHAR(1),
    TELFAXTYPE22                VARCHAR(15),
    TELFAXNUM22                 VARCHAR(15),
    TELFAXLR22                  CHAR(1),
    TELFAXTYPE23                VARCHAR(15),
    TELFAXNUM23                 VARCHAR(15),
    TELFAXLR23                  CHAR(1),
    ADRESSECOURRIER2            CHAR(1),
    EMAILPERSO                  VARCHAR(50),
    PAGEWEBPERSO                VARCHAR(100),
    EMAILBURO                   VARCHAR(50),
    PAGEWEBBURO                 VARCHAR(100),
    NOTES                       BLOB SUB_TYPE TEXT,
    ENVOYEPAR                   VARCHAR(60),
    ORIGINECTXCLINIQUE          CHAR(1),
    ORIGINECTXFICHIER           CHAR(1),
    ORIGINECTXAUTRECLINIQUE     CHAR(1),
    NOTESCTX                    BLOB SUB_TYPE TEXT,
    INFOSPERSO                  BLOB SUB_TYPE TEXT,
    DELAISPAIEMENT              INTEGER,
    REMISEACTES                 INTEGER,
    ENCOURSAUTORISE             DOUBLE PRECISION,
    CONTENTIEUX                 CHAR(1),
    PREMIEREVISITE              DATE,
    DERNIEREVISITE              DATE,
    PROCHAINEVISITE             DATE,
    FAMILLEACCUEIL              CHAR(1),
    ACCUEILCHAT                 CHAR(1),
    ACCUEILCHIEN                CHAR(1),
    ACCUEILEQUIDE               CHAR(1),
    ACCUEILNAC                  CHAR(1),
    ACCUEILNOTES                BLOB SUB_TYPE TEXT,
    EXISTCOMMANDE               CHAR(1),
    COMMANDEISARRIVE            CHAR(1),
    ADRESSE_ERROR               CHAR(1),
    VOIR_CLIENT                 CHAR(1),
    CLIENT_EXTERNE              CHAR(1),
    ID_CLIENT_DE                VARCHAR(20),
    CLIENT_DE                   VARCHAR(121),
    KILOMETRAGE                 INTEGER,
    COMMANDE                    BLOB SUB_TYPE TEXT,
    ATTENTE_LABO                INTEGER,
    ATTENTE_VACCIN              INTEGER,
    ATTENTE_VACCIN_DATE_MAX     DATE,
    REFERE_A                    VARCHAR(121),
    ARCHIVED                    INTEGER,
    SOLDE                       DOUBLE PRECISION,
    DATECREATION                DATE,
    PAYS1                       VARCHAR(30),
    PAYS2                       VARCHAR(30),
    GROUPE_FACT                 INTEGER,
    POCKETCN                    INTEGER,
    PRELEV                      INTEGER,
    STOP_PRELEV                 INTEGER,
    WAIT_ORDRE_PRELEV           INTEGER,
    DATE_RESTART_PRELEV         DATE,
    EXIST_PLAFOND_PRELEV        INTEGER,
    PLAFOND_PRELEV              DOUBLE PRECISION,
    RAISON_SOCIALE              VARCHAR(24),
    DOMICILIATION               VARCHAR(24),
    NUM_BANQUE                  VARCHAR(5),
    NUM_GUICHET                 VARCHAR(5),
    NUM_COMPTE                  VARCHAR(11),
    CLE_RIB                     VARCHAR(2),
    REMISEPRODUITS              INTEGER,
    -- discount definitions, one tab-separated line each
    REMISES                     BLOB SUB_TYPE TEXT,
    SMS_OK_RAPPELS              CHAR(1),
    CODE_BANQUE_CHEQUE          VARCHAR(5),
    COLOR                       INTEGER,
    EXIST_NOTES                 CHAR(1),
    NUM_CHEPTEL                 VARCHAR(60),
    ID_COMPTA                   VARCHAR(20),
    -- written from build 81 on
    ECARNET_STATUS              INTEGER,
    GROUPE01                    VARCHAR(100),
    MODE_COURRIER               INTEGER,
    -- not written by the client insert
    FIDELITE                    INTEGER DEFAULT 0 NOT NULL,
    ID_SITE                     INTEGER
);

-- The duplicate search compares these expressions; without them every line of a large file would read
-- the whole table.
CREATE INDEX IDX_CLIENTS_NOM_UPPER ON CLIENTS COMPUTED BY (trim(upper(NOM)));

CREATE TABLE FIDELITE01 (
    ID              INTEGER NOT NULL PRIMARY KEY,
    WHAT            INTEGER,
    DT              TIMESTAMP,
    ID_CLIENT       INTEGER,
    ID_SITE         INTEGER,
    ID_ECRITURE     INTEGER,
    ID_FACTURE      INTEGER,
    ID_USER         INTEGER,
    MONTANT         INTEGER,
    POURCENTAGE     INTEGER,
    CREDIT          INTEGER,
    DONE            INTEGER,
    INFOS           VARCHAR(255)
);

CREATE INDEX IDX_FIDELITE01_CLIENT ON FIDELITE01 (ID_CLIENT);

-- The phone numbers of each client or other record, for identifying incoming calls.
CREATE TABLE CALLER_ID (
    IDWHAT      INTEGER NOT NULL,
    IDFICHE     INTEGER NOT NULL,
    RANG        INTEGER NOT NULL,
    NUMERO      DOUBLE PRECISION NOT NULL
);

CREATE INDEX IDX_CALLER_ID_FICHE ON CALLER_ID (IDWHAT, IDFICHE);
CREATE INDEX IDX_CALLER_ID_NUMERO ON CALLER_ID (NUMERO);

SET TERM ^ ;

-- Replaces the numbers of one record; a number 0 (none, or not a number) is not registered.
CREATE PROCEDURE PROC_UPDATE_CALLER_ID (
    P_IDWHAT    INTEGER,
    P_IDFICHE   INTEGER,
    P_TEL_1     DOUBLE PRECISION,
    P_TEL_2     DOUBLE PRECISION,
    P_TEL_3     DOUBLE PRECISION,
    P_TEL_4     DOUBLE PRECISION,
    P_TEL_5     DOUBLE PRECISION,
    P_TEL_6     DOUBLE PRECISION)
AS
BEGIN
    DELETE FROM CALLER_ID WHERE (IDWHAT = :P_IDWHAT) AND (IDFICHE = :P_IDFICHE);
    IF (COALESCE(P_TEL_1, 0) <> 0) THEN
        INSERT INTO CALLER_ID (IDWHAT, IDFICHE, RANG, NUMERO) VALUES (:P_IDWHAT, :P_IDFICHE, 1, :P_TEL_1);
    IF (COALESCE(P_TEL_2, 0) <> 0) THEN
        INSERT INTO CALLER_ID (IDWHAT, IDFICHE, RANG, NUMERO) VALUES (:P_IDWHAT, :P_IDFICHE, 2, :P_TEL_2);
    IF (COALESCE(P_TEL_3, 0) <> 0) THEN
        INSERT INTO CALLER_ID (IDWHAT, IDFICHE, RANG, NUMERO) VALUES (:P_IDWHAT, :P_IDFICHE, 3, :P_TEL_3);
    IF (COALESCE(P_TEL_4, 0) <> 0) THEN
        INSERT INTO CALLER_ID (IDWHAT, IDFICHE, RANG, NUMERO) VALUES (:P_IDWHAT, :P_IDFICHE, 4, :P_TEL_4);
    IF (COALESCE(P_TEL_5, 0) <> 0) THEN
        INSERT INTO CALLER_ID (IDWHAT, IDFICHE, RANG, NUMERO) VALUES (:P_IDWHAT, :P_IDFICHE, 5, :P_TEL_5);
    IF (COALESCE(P_TEL_6, 0) <> 0) THEN
        INSERT INTO CALLER_ID (IDWHAT, IDFICHE, RANG, NUMERO) VALUES (:P_IDWHAT, :P_IDFICHE, 6, :P_TEL_6);
END^

SET TERM ; ^
