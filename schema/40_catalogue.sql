-- The catalogue: the fee schedule of acts per site, the wholesalers and products the stock counts and the
-- dosages are matched against, and the dosages with their links to the products' GTIN. Text columns are as
-- long as the import cuts them or compares them.

CREATE SEQUENCE CURRENT_ID_TARIFACTE;
CREATE SEQUENCE GEN_POSOS;
CREATE SEQUENCE GEN_LINK_POSOLOGIES;

-- Each site owns the block of 100 identifiers that starts at (site - 1) * 100 + 1.
CREATE TABLE TARIFSACTES_CAT (
    ID          INTEGER NOT NULL PRIMARY KEY,
    LIBELLE     VARCHAR(60),
    ID_SITE     INTEGER
);

CREATE TABLE TARIFSACTES (
    ID                  INTEGER NOT NULL PRIMARY KEY,
    IDCAT               INTEGER,
    CODE                VARCHAR(7),
    LIBELLE             VARCHAR(60),
    -- including VAT
    PRIXVENTE           DOUBLE PRECISION,
    DESCRIPTION         BLOB SUB_TYPE TEXT,
    LINK_WITH_PRODUIT   INTEGER,
    -- the act's list of products, one per line
    PRODUITS            BLOB SUB_TYPE TEXT,
    -- in percent
    TAUXTVA             DOUBLE PRECISION,
    ID_SITE             INTEGER
);

CREATE INDEX IDX_TARIFSACTES_CAT_SITE ON TARIFSACTES (IDCAT, ID_SITE);

CREATE TABLE CENTRALES (
    ID          INTEGER NOT NULL PRIMARY KEY,
    NOM         VARCHAR(60),
    ID_SITE     INTEGER
);

CREATE TABLE TARIFSPRODUITS (
    ID                      INTEGER NOT NULL PRIMARY KEY,
    ID_SITE                 INTEGER,
    DESIGNATION             VARCHAR(100),
    -- in percent
    TAUXTVA                 DOUBLE PRECISION,
    -- retail subunits in one unit
    COND                    DOUBLE PRECISION,
    -- the wholesaler (CENTRALES.ID) the product is bought from
    IDFOURNISSEUR           INTEGER,
    CIP                     VARCHAR(7),
    CODECENTRALE            VARCHAR(20),
    CT                      VARCHAR(20),
    SCT                     VARCHAR(20),
    SSCT                    VARCHAR(20),
    UNITEVENTE              INTEGER,
    CODE_GTIN               VARCHAR(14),
    CODE_EAN13              VARCHAR(13),
    CODE_AMM                VARCHAR(18),
    CATEGORIE               VARCHAR(60),
    FAMILLE                 VARCHAR(60),
    FOURNISSEUR             VARCHAR(60),
    CLASSE                  VARCHAR(60),
    POIDS_UNITAIRE_BRUT_GR  INTEGER,
    METHODE_COMMANDE        INTEGER,
    QTX_COMMANDE_FIXE       INTEGER,
    -- stock of unopened units, and of opened units counted in retail subunits
    QTX_FULL                INTEGER DEFAULT 0,
    QTX_FULL_IDEAL          INTEGER DEFAULT 0,
    QTX_DETAIL              INTEGER DEFAULT 0,
    QTX_DETAIL_IDEAL        INTEGER DEFAULT 0,
    EN_COMMANDE             INTEGER DEFAULT 0,
    SUIVI_STOCK             INTEGER DEFAULT 0,
    PRIXACHAT_T1            DOUBLE PRECISION,
    PRIXACHAT_T2            DOUBLE PRECISION,
    QTXACHAT_T2             INTEGER,
    PRIXACHAT_T3            DOUBLE PRECISION,
    QTXACHAT_T3             INTEGER,
    -- selling price = purchase price x COEF, before VAT
    COEF                    DOUBLE PRECISION,
    -- 1 for a product linked to another one, which the matching never returns
    LINK                    INTEGER,
    INFO_UNITE_DETAIL       VARCHAR(60)
);

CREATE INDEX IDX_TARIFSPRODUITS_CENTRALE ON TARIFSPRODUITS (IDFOURNISSEUR, CODECENTRALE);
CREATE INDEX IDX_TARIFSPRODUITS_GTIN ON TARIFSPRODUITS (CODE_GTIN);
CREATE INDEX IDX_TARIFSPRODUITS_CIP ON TARIFSPRODUITS (CIP);
CREATE INDEX IDX_TARIFSPRODUITS_EAN13 ON TARIFSPRODUITS (CODE_EAN13);
CREATE INDEX IDX_TARIFSPRODUITS_AMM ON TARIFSPRODUITS (CODE_AMM);

CREATE TABLE POSOS (
    ID              INTEGER NOT NULL PRIMARY KEY,
    ORIGINE         INTEGER,
    DISPO           INTEGER,
    ESPECE          VARCHAR(60),
    POIDS_MIN       DOUBLE PRECISION,
    POIDS_MAX       DOUBLE PRECISION,
    AGE_METHODE     INTEGER,
    AGE_MIN         INTEGER,
    AGE_MAX         INTEGER,
    POSOLOGIE       BLOB SUB_TYPE TEXT,
    DELAIS_ATTENTE  VARCHAR(255)
);

-- Ties a dosage to the products that carry a GTIN (or a CIP).
CREATE TABLE LINK_POSOLOGIES (
    ID              INTEGER NOT NULL PRIMARY KEY,
    ID_POSOLOGIE    INTEGER,
    CIP             VARCHAR(7),
    GTIN            VARCHAR(14)
);
