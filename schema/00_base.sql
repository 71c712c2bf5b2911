-- An empty target database built to the names the import uses. The product's real database has many
-- more tables and columns; only what the import reads and writes is created here.

CREATE TABLE VERSION (
    ID      INTEGER NOT NULL PRIMARY KEY,
    BUILD   INTEGER
);

CREATE TABLE ADMINISTRATION (
    ID          INTEGER NOT NULL PRIMARY KEY,
    LOGINUSER   VARCHAR(30),
    NOM         VARCHAR(60),
    PRENOM      VARCHAR(60),
    TYPE_USER   INTEGER DEFAULT 0
);
