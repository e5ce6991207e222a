-- The batch report (borderô): which template each bank's batches print with,
-- and the templates' version data that workstations compare with their copies.

-- The template file name (name part only) of the bank's borderô; a batch of
-- the bank that has no template of its own prints with this one.
ALTER TABLE BANCO ADD COLUMN DSARQBORDBANC VARCHAR(250);

-- One row per template: its date and version tag (8 characters, compared as
-- text), and where a workstation fetches it from.
CREATE TABLE RELATORIO (
  NMARQUIVO     VARCHAR(250) NOT NULL PRIMARY KEY,
  DTRELATORIO   DATETEXT,
  NRVERSAO      VARCHAR(8),
  DSORIGEM      VARCHAR(250),
  DSRELATORIO   VARCHAR(100)
);
