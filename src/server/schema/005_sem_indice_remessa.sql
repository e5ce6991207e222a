-- A title's batch number is always compared padded to twenty digits, so the
-- index on the bare column never served a look-up by batch; what it did
-- serve, a company's titles, the other company indexes serve too. Kept up to
-- date on every title a run stores, it was a third of the cost of storing a
-- run's title states.
DROP INDEX IF EXISTS BOLETOREC_REMESSA;
