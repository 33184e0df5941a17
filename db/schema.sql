-- Database structure of the production department's time-keeping program.
--
-- Run once by the database owner on an empty database:
--   psql -v ON_ERROR_STOP=1 -d <database> -f db/schema.sql
-- The program itself never creates or alters tables; everything it reads or
-- writes must exist before its first start.
--
-- Besides the department's own schema accounts_dep, the script creates
-- minimal versions of the plant-wide tables the program shares with other
-- systems (people, classifier, goods, departments, staff positions, roles).
-- On the plant's server those already exist and only accounts_dep is needed.
--
-- There are deliberately no foreign keys: the program deletes dependent rows
-- itself, and a deleted worker, operation or kind leaves its old journal
-- rows in place.

SET client_min_messages = warning;

-- Dates are sent as 'DD.MM.YYYY' text in a few statements (the creation date
-- of an entry, the month bounds of the average-rate recalculation). They must
-- be read day first whatever the client sends, so the order is fixed on the
-- database; output stays ISO.
SET datestyle TO 'ISO, DMY';
SELECT current_database() AS db_name \gset
ALTER DATABASE :"db_name" SET datestyle TO 'ISO, DMY';

CREATE SCHEMA IF NOT EXISTS accounts_dep;
CREATE SCHEMA IF NOT EXISTS cmn_contractor;
CREATE SCHEMA IF NOT EXISTS cmn_classifier;
CREATE SCHEMA IF NOT EXISTS cmn_gds_and_srv;
CREATE SCHEMA IF NOT EXISTS cmn_department;
CREATE SCHEMA IF NOT EXISTS hrms_staffpos;
CREATE SCHEMA IF NOT EXISTS adm_role;

-- Integer domains of the plant database. Queries write s_code::t_id without a
-- schema, so they live in public, which is on every session's search_path.
DO $$
BEGIN
    CREATE DOMAIN public.t_id AS integer;
EXCEPTION WHEN duplicate_object THEN NULL;
END $$;
DO $$
BEGIN
    CREATE DOMAIN public.t_integer AS integer;
EXCEPTION WHEN duplicate_object THEN NULL;
END $$;

------------------------------------------------------------------------------
-- Plant-wide tables shared with other systems
------------------------------------------------------------------------------

-- People known to the plant. A department worker (accounts_dep.person) is
-- found here either by id or by s_code holding his worker id as digits.
-- Other systems keep other codes here too (a contractor's "ИП-001"), so the
-- program reads s_code as a number only where it is a whole number that
-- fits, through a CASE expression; the index below is on exactly that
-- expression. t_id and t_integer carry no constraint, so the planner reduces
-- the casts to integer and this one index serves every spelling.
CREATE SEQUENCE IF NOT EXISTS cmn_contractor.person_id_seq;
CREATE TABLE IF NOT EXISTS cmn_contractor.person (
    id        numeric(18,0) PRIMARY KEY DEFAULT nextval('cmn_contractor.person_id_seq'),
    s_caption varchar(254),
    s_code    text
);
ALTER SEQUENCE cmn_contractor.person_id_seq OWNED BY cmn_contractor.person.id;
CREATE INDEX IF NOT EXISTS person_s_code_idx ON cmn_contractor.person (s_code);
-- An index on a plain s_code::t_id would refuse every non-numeric code at
-- insert time; databases set up by an earlier version of this script have one.
DROP INDEX IF EXISTS cmn_contractor.person_s_code_t_id_idx;
DROP INDEX IF EXISTS cmn_contractor.person_s_code_number_idx;
CREATE INDEX person_s_code_number_idx ON cmn_contractor.person
    (((case when s_code ~ '^[ \t\n\r\f\v]*[-+]?0*[0-9]{1,10}[ \t\n\r\f\v]*$' then case when s_code::numeric between -2147483648 and 2147483647 then s_code::t_id end end)));

-- Classifier; product groups are the items of level 2.
CREATE SEQUENCE IF NOT EXISTS cmn_classifier.item_id_seq;
CREATE TABLE IF NOT EXISTS cmn_classifier.item (
    id              numeric(18,0) PRIMARY KEY DEFAULT nextval('cmn_classifier.item_id_seq'),
    id_classifier   numeric(18,0),
    id_level        integer,
    s_code          varchar(50),
    s_caption       varchar(255),
    s_description   varchar(4000),
    b_excluded      varchar(5) DEFAULT 'false',
    d_excluded_date date,
    id_parent       numeric(18,0)
);
ALTER SEQUENCE cmn_classifier.item_id_seq OWNED BY cmn_classifier.item.id;
CREATE INDEX IF NOT EXISTS item_id_level_idx ON cmn_classifier.item (id_level);

-- Goods and services. The product editor inserts without an id, so the id
-- comes from the sequence.
CREATE SEQUENCE IF NOT EXISTS cmn_gds_and_srv.gds_and_srv_id_seq;
CREATE TABLE IF NOT EXISTS cmn_gds_and_srv.gds_and_srv (
    id            numeric(18,0) PRIMARY KEY DEFAULT nextval('cmn_gds_and_srv.gds_and_srv_id_seq'),
    s_caption     varchar(254),
    s_description varchar(4000),
    id_msm_bs     numeric(18,0),
    massa         numeric,
    id_class_item numeric(18,0)
);
ALTER SEQUENCE cmn_gds_and_srv.gds_and_srv_id_seq OWNED BY cmn_gds_and_srv.gds_and_srv.id;
CREATE INDEX IF NOT EXISTS gds_and_srv_class_idx ON cmn_gds_and_srv.gds_and_srv (id_class_item);

CREATE SEQUENCE IF NOT EXISTS cmn_department.department_id_seq;
CREATE TABLE IF NOT EXISTS cmn_department.department (
    id            numeric(18,0) PRIMARY KEY DEFAULT nextval('cmn_department.department_id_seq'),
    id_branch     numeric(18,0),
    s_code        varchar(50),
    s_caption     varchar(254),
    s_description varchar(4000),
    id_parent     numeric(18,0)
);
ALTER SEQUENCE cmn_department.department_id_seq OWNED BY cmn_department.department.id;

CREATE SEQUENCE IF NOT EXISTS hrms_staffpos.staffpos_id_seq;
CREATE TABLE IF NOT EXISTS hrms_staffpos.staffpos (
    id            numeric(18,0) PRIMARY KEY DEFAULT nextval('hrms_staffpos.staffpos_id_seq'),
    id_department numeric(18,0),
    s_code        varchar(50),
    s_caption     varchar(254),
    d_begin       date,
    d_end         date,
    s_description varchar(4000)
);
ALTER SEQUENCE hrms_staffpos.staffpos_id_seq OWNED BY hrms_staffpos.staffpos.id;

CREATE SEQUENCE IF NOT EXISTS adm_role.roles_id_seq;
CREATE TABLE IF NOT EXISTS adm_role.roles (
    id        numeric(18,0) PRIMARY KEY DEFAULT nextval('adm_role.roles_id_seq'),
    s_name    varchar(30),
    s_caption varchar(254),
    d_begin   date,
    d_end     date,
    b_active  varchar(5) DEFAULT 'true'
);
ALTER SEQUENCE adm_role.roles_id_seq OWNED BY adm_role.roles.id;

------------------------------------------------------------------------------
-- The department's own tables
------------------------------------------------------------------------------

-- Shift journal: one row per worker, date, shift, product, operation and
-- colour. cena already includes the day-off, night and overtime factors.
CREATE TABLE IF NOT EXISTS accounts_dep.smena (
    id            serial PRIMARY KEY,
    w_id          integer,
    i_id          integer,
    o_id          integer,
    cena          double precision,
    kol_vo        numeric,
    brak          smallint DEFAULT 0,
    data          date,
    smena         smallint,
    color         integer DEFAULT 0,
    time          integer,
    vvod          timestamp,
    ok            varchar(255) DEFAULT 'no',
    prize         double precision DEFAULT 0,
    id_doc        numeric(18,0) DEFAULT 0,
    id_doc_item   numeric(18,0) DEFAULT 0,
    f_gds_qty_use double precision DEFAULT 0,
    id_gds_use    numeric(18,0) DEFAULT 0,
    id_cons_use   numeric(18,0) DEFAULT 0
);
-- Journal of one date and shift.
CREATE INDEX IF NOT EXISTS smena_data_smena_idx ON accounts_dep.smena (data, smena);
-- A worker's entries of a day or a month (hours posting, averages, timesheets).
CREATE INDEX IF NOT EXISTS smena_w_id_data_idx ON accounts_dep.smena (w_id, data);
CREATE INDEX IF NOT EXISTS smena_w_id_smena_data_idx ON accounts_dep.smena (w_id, smena, data);
-- The monthly timesheets find a worker's entries from the people register,
-- whose ids are numeric: there w_id is compared as a numeric, which the
-- indexes above cannot serve.
CREATE INDEX IF NOT EXISTS smena_w_id_numeric_data_idx ON accounts_dep.smena ((w_id::numeric), data);
-- Deleting a product or operation looks up its entries.
CREATE INDEX IF NOT EXISTS smena_i_id_idx ON accounts_dep.smena (i_id);
CREATE INDEX IF NOT EXISTS smena_o_id_idx ON accounts_dep.smena (o_id);

-- Monthly hours sheet: d1..d31 are the hours of each day, NULL when nothing
-- was posted. Piece-work rows have i_type 0 and a shift; auxiliary-work rows
-- have i_type 7777 or 7778, a night flag and no shift.
CREATE TABLE IF NOT EXISTS accounts_dep.h_tabel (
    id      serial PRIMARY KEY,
    w_id    integer,
    smena   smallint,
    month   smallint,
    year    smallint,
    d1  integer, d2  integer, d3  integer, d4  integer, d5  integer,
    d6  integer, d7  integer, d8  integer, d9  integer, d10 integer,
    d11 integer, d12 integer, d13 integer, d14 integer, d15 integer,
    d16 integer, d17 integer, d18 integer, d19 integer, d20 integer,
    d21 integer, d22 integer, d23 integer, d24 integer, d25 integer,
    d26 integer, d27 integer, d28 integer, d29 integer, d30 integer,
    d31 integer,
    i_type  integer DEFAULT 0,
    i_night integer DEFAULT 0
);
CREATE INDEX IF NOT EXISTS h_tabel_w_id_smena_month_year_idx ON accounts_dep.h_tabel (w_id, smena, month, year);
CREATE INDEX IF NOT EXISTS h_tabel_month_year_idx ON accounts_dep.h_tabel (month, year);

-- Auxiliary works paid by the hour (kind 7777) or at the worker's average
-- piece rate of the month (kind 7778).
CREATE TABLE IF NOT EXISTS accounts_dep.fatigue (
    id        serial PRIMARY KEY,
    id_nom    numeric(18,0),
    id_o      numeric(18,0),
    id_p      numeric(18,0),
    d_date    date,
    i_mnth    integer,
    i_year    integer,
    i_smena   integer,
    cnt       integer,
    price     numeric,
    i_holiday integer DEFAULT 0,
    i_night   integer DEFAULT 0
);
CREATE INDEX IF NOT EXISTS fatigue_d_date_idx ON accounts_dep.fatigue (d_date);
CREATE INDEX IF NOT EXISTS fatigue_id_p_mnth_year_idx ON accounts_dep.fatigue (id_p, i_mnth, i_year);
-- Monthly totals of one worker and kind over a date range.
CREATE INDEX IF NOT EXISTS fatigue_id_p_id_o_d_date_idx ON accounts_dep.fatigue (id_p, id_o, d_date);
-- The average-rate recalculation updates one kind of one month.
CREATE INDEX IF NOT EXISTS fatigue_year_mnth_id_o_idx ON accounts_dep.fatigue (i_year, i_mnth, id_o);

-- Operations of a product; the current price is the lowest of its norms.
CREATE TABLE IF NOT EXISTS accounts_dep.oper (
    id       serial PRIMARY KEY,
    vid      integer,
    naimen   smallint,
    i_id     integer,
    cena     numeric,
    cena_new numeric
);
CREATE INDEX IF NOT EXISTS oper_i_id_idx ON accounts_dep.oper (i_id);

CREATE TABLE IF NOT EXISTS accounts_dep.norm (
    id    serial PRIMARY KEY,
    o_id  integer,
    norma integer,
    prize integer,
    price double precision
);
CREATE INDEX IF NOT EXISTS norm_o_id_idx ON accounts_dep.norm (o_id);

-- Operation kinds. Ids 7777 and 7778 are the two auxiliary-work kinds.
CREATE TABLE IF NOT EXISTS accounts_dep.vid_oper (
    id  serial PRIMARY KEY,
    vid varchar(128)
);

CREATE TABLE IF NOT EXISTS accounts_dep.person (
    id            serial PRIMARY KEY,
    fio           varchar(254),
    s_staffpos_hl varchar(254)
);

-- Version record: the build stamp of the newest program that has run here
-- and the decimal separator for numbers written into SQL text. One row.
CREATE TABLE IF NOT EXISTS accounts_dep.ver (
    d     integer,
    t     integer,
    delim varchar(255)
);
INSERT INTO accounts_dep.ver (d, t, delim)
SELECT 20000101, 0, '.'
WHERE NOT EXISTS (SELECT 1 FROM accounts_dep.ver);

-- Former tables, filled only when data is copied over from the old desktop
-- database.
CREATE TABLE IF NOT EXISTS accounts_dep.workers (
    id   serial PRIMARY KEY,
    fio  varchar(254),
    addr varchar(254)
);
CREATE TABLE IF NOT EXISTS accounts_dep.nomenkl (
    id    serial PRIMARY KEY,
    nom   varchar(255),
    marka varchar(254)
);

-- Products are goods rows whose class is a classifier item. The program's
-- maintenance command drops and re-creates this view with the same text, so
-- nothing else may depend on it.
CREATE OR REPLACE VIEW accounts_dep.izdel AS SELECT gds.s_caption AS marka,	gds.id_class_item, gds.id, gds.massa, gds.id_class_item AS id_nom,i.s_caption AS nom FROM cmn_gds_and_srv.gds_and_srv gds, cmn_classifier.item i WHERE gds.id_class_item::numeric = i.id::numeric;
