-- The options an operator saves in a filter dialog (its option buttons): one
-- named value per row, per dialog (its screen code) and operator, so that a
-- later session, or another workstation, loads them back as they were saved.
-- Not tied to OPERADOR: the operator is the one the host says is logged in.
CREATE TABLE OPCOESFILTRO (
  CDTELA        VARCHAR(8)    NOT NULL,
  CDOPERADOR    VARCHAR(12)   NOT NULL,
  NMOPCAO       VARCHAR(30)   NOT NULL,
  DSVALOR       VARCHAR(4000),
  PRIMARY KEY (CDTELA, CDOPERADOR, NMOPCAO)
);
