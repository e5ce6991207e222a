-- The titles offered for a batch are listed in due-date order, then branch
-- and entry number as a number: an index in that order lets the list stream
-- from the index instead of sorting every title of the company.
CREATE INDEX BOLETOREC_LISTA ON BOLETOREC (CDEMPRESA, DTVENBOLREC, CDFILIAL, CAST(NRLANBOLREC AS INTEGER),
                                           NRLANBOLREC);
