-- The file a run wrote, kept with its batch and stored in the run's own
-- transaction, so that it can be written again byte for byte and a file
-- that a crash kept from its place can be put there afterwards.
-- DSARQUIVO is the path the writer wrote (the batch's path with the
-- writer's own extension, where it has one); BLARQUIVO the bytes compressed
-- with zlib, QTBYTES their size before. DSARQPENDENTE names the staged file
-- until it is in place: a row that keeps it after its run has ended is
-- the next command's to finish.
CREATE TABLE ARQREMESSA (
  CDEMPRESA      VARCHAR(2)   NOT NULL,
  NRCNABREC      VARCHAR(10)  NOT NULL,
  DSARQUIVO      VARCHAR(260) NOT NULL,
  QTBYTES        INTEGER      NOT NULL,
  BLARQUIVO      BLOB         NOT NULL,
  DSARQPENDENTE  VARCHAR(280),
  PRIMARY KEY (CDEMPRESA, NRCNABREC),
  FOREIGN KEY (CDEMPRESA, NRCNABREC) REFERENCES CNABREC (CDEMPRESA, NRCNABREC) ON DELETE CASCADE
);

CREATE INDEX ARQREMESSA_PENDENTE ON ARQREMESSA (DSARQPENDENTE) WHERE DSARQPENDENTE IS NOT NULL;
