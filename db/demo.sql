-- Demonstration data for the production department's time-keeping program:
-- a facade-cladding hardware shop with its workers, products, operations and
-- price norms, and a few months of shift journal, auxiliary works and the
-- monthly hours sheet that matches them.
--
-- Run after schema.sql on a database that holds no data yet:
--   psql -v ON_ERROR_STOP=1 -v months=3 -v workers=40 -d <database> -f db/demo.sql
-- months  - how many calendar months of journal to make, the current month
--           (up to today) included; default 3;
-- workers - how many workers; default 40;
-- persons - how many people the plant's register holds in all, department
--           workers and office staff included; the rest are people of the
--           plant's other departments. Default 0: workers and office staff
--           only.
--
-- The data is made from a hash of worker, date and slot numbers, not from
-- random(), so two runs on the same day with the same sizes give the same
-- rows, and a run on a later day keeps the history of the days it shares.

\if :{?months}
\else
\set months 3
\endif
\if :{?workers}
\else
\set workers 40
\endif
\if :{?persons}
\else
\set persons 0
\endif

SET client_min_messages = warning;
SET datestyle TO 'ISO, DMY';

BEGIN;

CREATE TEMP TABLE demo_cfg AS
SELECT :'months'::integer AS months,
       :'workers'::integer AS workers,
       :'persons'::integer AS persons,
       (date_trunc('month', current_date)
        - (:'months'::integer - 1) * interval '1 month')::date AS d_from,
       current_date AS d_to;

-- Refuse to mix demo rows into a database that already holds data.
DO $$
DECLARE
    c demo_cfg%ROWTYPE;
BEGIN
    SELECT * INTO c FROM demo_cfg;
    IF c.months NOT BETWEEN 1 AND 240 THEN
        RAISE EXCEPTION 'months must be between 1 and 240, got %', c.months;
    END IF;
    IF c.workers NOT BETWEEN 1 AND 20000 THEN
        RAISE EXCEPTION 'workers must be between 1 and 20000, got %', c.workers;
    END IF;
    IF c.persons NOT BETWEEN 0 AND 200000 THEN
        RAISE EXCEPTION 'persons must be between 0 and 200000, got %', c.persons;
    END IF;
    IF EXISTS (SELECT 1 FROM accounts_dep.smena)
       OR EXISTS (SELECT 1 FROM accounts_dep.person)
       OR EXISTS (SELECT 1 FROM cmn_contractor.person)
       OR EXISTS (SELECT 1 FROM cmn_gds_and_srv.gds_and_srv) THEN
        RAISE EXCEPTION 'the database already holds data; demo data goes into a fresh database only';
    END IF;
END $$;

-- Uniform pseudo-random number in [0, 1) for a key and a salt. Every random
-- choice below takes its own salt so choices stay independent.
CREATE FUNCTION pg_temp.rnd(k bigint, salt integer) RETURNS double precision
LANGUAGE sql IMMUTABLE AS
$$ SELECT (hashint8extended(k, salt) & 9007199254740991)::double precision / 9007199254740992 $$;

------------------------------------------------------------------------------
-- Plant-wide reference rows
------------------------------------------------------------------------------

INSERT INTO cmn_department.department (id, id_branch, s_code, s_caption, s_description, id_parent) VALUES
    ( 1, 1, '01', 'Завод фасадных систем', '', NULL),
    (10, 1, '10', 'Производственный отдел', '', 1),
    (11, 1, '11', 'Заготовительный участок', 'Резка, сверловка и пробивка', 10),
    (12, 1, '12', 'Штамповочный участок', '', 10),
    (13, 1, '13', 'Участок гибки', '', 10),
    (14, 1, '14', 'Сварочный участок', '', 10),
    (15, 1, '15', 'Участок порошковой покраски', '', 10),
    (16, 1, '16', 'Участок сборки и упаковки', '', 10),
    (20, 1, '20', 'Отдел технического контроля', '', 1),
    (30, 1, '30', 'Склад готовой продукции', '', 1);

-- Trades of the shop: the position a worker holds and the operation kinds he
-- is paid for. weight is the share of workers in the trade.
CREATE TEMP TABLE trade (t, pos, dep, kinds, weight, female_share) AS VALUES
    (1, 'Оператор станка', 11, ARRAY['Резка', 'Сверловка', 'Пробивка отверстий'], 0.22, 0.10),
    (2, 'Штамповщик', 12, ARRAY['Штамповка', 'Пробивка отверстий'], 0.15, 0.10),
    (3, 'Оператор листогибочного пресса', 13, ARRAY['Гибка'], 0.15, 0.05),
    (4, 'Сварщик', 14, ARRAY['Сварка', 'Зачистка'], 0.10, 0.00),
    (5, 'Маляр', 15, ARRAY['Покраска порошковой краской', 'Обезжиривание'], 0.13, 0.40),
    (6, 'Слесарь', 16, ARRAY['Сборка', 'Нарезка резьбы', 'Зачистка'], 0.10, 0.00),
    (7, 'Упаковщик', 16, ARRAY['Упаковка'], 0.15, 0.60);
ALTER TABLE trade ADD COLUMN cum_hi double precision;
UPDATE trade SET cum_hi = x.c
FROM (SELECT t, sum(weight) OVER (ORDER BY t) AS c FROM trade) x
WHERE x.t = trade.t;

INSERT INTO hrms_staffpos.staffpos (id, id_department, s_code, s_caption, d_begin, d_end, s_description)
SELECT t, dep, lpad(t::text, 3, '0'), pos, date '2015-01-01', NULL, '' FROM trade;
INSERT INTO hrms_staffpos.staffpos (id, id_department, s_code, s_caption, d_begin, d_end, s_description) VALUES
    (20, 10, '020', 'Мастер участка', date '2015-01-01', NULL, ''),
    (21, 10, '021', 'Наладчик оборудования', date '2015-01-01', NULL, ''),
    (22, 10, '022', 'Начальник производства', date '2015-01-01', NULL, ''),
    (23, 10, '023', 'Табельщик', date '2015-01-01', NULL, ''),
    (24, 20, '024', 'Контролёр ОТК', date '2015-01-01', NULL, ''),
    (25, 30, '025', 'Кладовщик', date '2015-01-01', NULL, '');

INSERT INTO adm_role.roles (id, s_name, s_caption, d_begin, d_end, b_active) VALUES
    (1, 'operator', 'Оператор ввода данных', date '2015-01-01', NULL, 'true'),
    (2, 'master', 'Мастер участка', date '2015-01-01', NULL, 'true'),
    (3, 'economist', 'Экономист по труду', date '2015-01-01', NULL, 'true'),
    (4, 'chief', 'Начальник производства', date '2015-01-01', NULL, 'true'),
    (5, 'admin', 'Администратор', date '2015-01-01', NULL, 'true');

-- Classifier: product groups are level-2 items under the shop's root. The
-- item of the auxiliary-work carrier sits on its own level-1 branch so that
-- it stays out of the product group pickers.
INSERT INTO cmn_classifier.item (id, id_classifier, id_level, s_code, s_caption, s_description, b_excluded, d_excluded_date, id_parent) VALUES
    ( 1, 1, 1, '01', 'Продукция цеха фасадных систем', '', 'false', NULL, NULL),
    ( 2, 1, 1, '99', 'Служебные позиции', 'Позиции для учёта вспомогательных работ', 'false', NULL, NULL),
    (11, 1, 2, '01.01', 'Кронштейны', '', 'false', NULL, 1),
    (12, 1, 2, '01.02', 'Профили', '', 'false', NULL, 1),
    (13, 1, 2, '01.03', 'Направляющие', '', 'false', NULL, 1),
    (14, 1, 2, '01.04', 'Кляммеры', '', 'false', NULL, 1),
    (15, 1, 2, '01.05', 'Салазки', '', 'false', NULL, 1),
    (16, 1, 2, '01.06', 'Удлинители кронштейнов', '', 'false', NULL, 1),
    (17, 1, 2, '01.07', 'Термопрокладки', '', 'false', NULL, 1),
    (18, 1, 2, '01.08', 'Планки', '', 'false', NULL, 1),
    (19, 1, 2, '01.09', 'Крепёжные изделия', 'Пока без изделий', 'false', NULL, 1);

------------------------------------------------------------------------------
-- Products, operation kinds, operations and norms
------------------------------------------------------------------------------

-- ptype groups products that go through the same route of operations.
CREATE TEMP TABLE product (ord, ptype, item, mark, massa) AS VALUES
    ( 1, 'KR', 11, 'КР-60', 0.020), ( 2, 'KR', 11, 'КР-80', 0.025), ( 3, 'KR', 11, 'КР-100', 0.030),
    ( 4, 'KR', 11, 'КР-120', 0.035), ( 5, 'KR', 11, 'КР-150', 0.040), ( 6, 'KR', 11, 'КР-180', 0.045),
    ( 7, 'KR', 11, 'КР-200', 0.050), ( 8, 'KR', 11, 'КН-150', 0.050), ( 9, 'KR', 11, 'КН-200', 0.060),
    (10, 'KR', 11, 'КН-230', 0.070), (11, 'KR', 11, 'КН-230/1', 0.070), (12, 'KR', 11, 'КН-270', 0.080),
    (13, 'KR', 11, 'КН-300', 0.090),
    (14, 'KS', 11, 'КС-100', 0.060), (15, 'KS', 11, 'КС-120', 0.070), (16, 'KS', 11, 'КС-150', 0.080),
    (17, 'KS', 11, 'КС-160', 0.085), (18, 'KS', 11, 'КС-200', 0.100),
    (19, 'PR', 12, 'П-Г 40х20', 0.120), (20, 'PR', 12, 'П-Г 40х40', 0.150), (21, 'PR', 12, 'П-Г 60х27', 0.140),
    (22, 'PR', 12, 'П-Г 80х20', 0.150), (23, 'PR', 12, 'П-Т 60х40', 0.160), (24, 'PR', 12, 'П-Т 80х40', 0.180),
    (25, 'PR', 12, 'П-Т 100х40', 0.200), (26, 'PR', 12, 'П-Т 120х50', 0.200), (27, 'PR', 12, 'П-Z 40х20', 0.110),
    (28, 'PR', 12, 'П-Z 60х20', 0.130), (29, 'PR', 12, 'П-Ш 20х20', 0.100), (30, 'PR', 12, 'П-Ш 40х20', 0.120),
    (31, 'PR', 12, 'П-Ш 60х25', 0.140), (32, 'PR', 12, 'П-У 40х40', 0.130), (33, 'PR', 12, 'П-У 50х50', 0.150),
    (34, 'NP', 13, 'НВ-40', 0.100), (35, 'NP', 13, 'НВ-60', 0.120), (36, 'NP', 13, 'НВ-80', 0.140),
    (37, 'NP', 13, 'НГ-60', 0.120), (38, 'NP', 13, 'НГ-80', 0.140),
    (39, 'KL', 14, 'КЛ-Р 7', 0.010), (40, 'KL', 14, 'КЛ-Р 9', 0.010), (41, 'KL', 14, 'КЛ-Р 11', 0.012),
    (42, 'KL', 14, 'КЛ-С 7', 0.010), (43, 'KL', 14, 'КЛ-С 9', 0.010), (44, 'KL', 14, 'КЛ-С 11', 0.012),
    (45, 'KL', 14, 'КЛ-К 7', 0.010), (46, 'KL', 14, 'КЛ-К 9', 0.010), (47, 'KL', 14, 'КЛ-Н 7', 0.011),
    (48, 'KL', 14, 'КЛ-Н 9', 0.011),
    (49, 'SL', 15, 'С-60', 0.020), (50, 'SL', 15, 'С-80', 0.025), (51, 'SL', 15, 'С-100', 0.030),
    (52, 'SL', 15, 'С-120', 0.035),
    (53, 'UK', 16, 'УК-50', 0.030), (54, 'UK', 16, 'УК-100', 0.040), (55, 'UK', 16, 'УК-150', 0.050),
    (56, 'TP', 17, 'ТП-80', 0.010), (57, 'TP', 17, 'ТП-100', 0.010), (58, 'TP', 17, 'ТП-150', 0.012),
    (59, 'TP', 17, 'ТП-200', 0.015),
    (60, 'PL', 18, 'ПЛ-40', 0.080), (61, 'PL', 18, 'ПЛ-60', 0.100), (62, 'PL', 18, 'ПЛУ-40', 0.090),
    (63, 'PL', 18, 'ПЛН-30', 0.070);

INSERT INTO cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, id_class_item)
SELECT ord, mark, '', 6, massa, item FROM product ORDER BY ord;
-- Carrier of the hourly rates of the two auxiliary-work kinds.
INSERT INTO cmn_gds_and_srv.gds_and_srv (id, s_caption, s_description, id_msm_bs, massa, id_class_item)
VALUES (7777, 'Вспомогательные работы', '', 6, 0, 2);

INSERT INTO accounts_dep.vid_oper (id, vid) VALUES
    ( 1, 'Резка'),
    ( 2, 'Гибка'),
    ( 3, 'Штамповка'),
    ( 4, 'Сверловка'),
    ( 5, 'Пробивка отверстий'),
    ( 6, 'Сварка'),
    ( 7, 'Зачистка'),
    ( 8, 'Обезжиривание'),
    ( 9, 'Покраска порошковой краской'),
    (10, 'Нарезка резьбы'),
    (11, 'Сборка'),
    (12, 'Упаковка'),
    (7777, 'Хоз. работы'),
    (7778, 'Ср. сдельная');

-- Route of each product type: operation kind, stage (0 finished product,
-- 1 blank) and the range of its piece price in rubles.
CREATE TEMP TABLE route (ptype, kind, naimen, lo, hi) AS VALUES
    ('KR', 'Резка', 1, 0.45, 0.90), ('KR', 'Пробивка отверстий', 1, 0.35, 0.70),
    ('KR', 'Штамповка', 0, 0.60, 1.40), ('KR', 'Гибка', 0, 0.55, 1.20),
    ('KR', 'Покраска порошковой краской', 0, 1.20, 3.50), ('KR', 'Упаковка', 0, 0.35, 0.60),
    ('KS', 'Резка', 1, 0.60, 1.20), ('KS', 'Гибка', 1, 0.80, 1.60), ('KS', 'Сварка', 0, 6.50, 12.50),
    ('KS', 'Зачистка', 0, 1.50, 3.00), ('KS', 'Нарезка резьбы', 0, 0.80, 1.60),
    ('KS', 'Обезжиривание', 0, 0.40, 0.80), ('KS', 'Покраска порошковой краской', 0, 2.50, 5.50),
    ('KS', 'Упаковка', 0, 0.40, 0.80),
    ('PR', 'Резка', 0, 0.80, 2.20), ('PR', 'Сверловка', 0, 0.90, 2.40), ('PR', 'Пробивка отверстий', 0, 0.60, 1.50),
    ('PR', 'Обезжиривание', 0, 0.50, 1.00), ('PR', 'Покраска порошковой краской', 0, 3.00, 7.50),
    ('PR', 'Упаковка', 0, 0.50, 1.20),
    ('NP', 'Резка', 0, 0.70, 1.80), ('NP', 'Пробивка отверстий', 0, 0.60, 1.40),
    ('NP', 'Покраска порошковой краской', 0, 2.50, 6.00), ('NP', 'Упаковка', 0, 0.40, 0.90),
    ('KL', 'Резка', 1, 0.35, 0.50), ('KL', 'Штамповка', 0, 0.35, 0.70), ('KL', 'Гибка', 0, 0.40, 0.80),
    ('KL', 'Покраска порошковой краской', 0, 0.60, 1.20), ('KL', 'Упаковка', 0, 0.35, 0.45),
    ('SL', 'Резка', 1, 0.40, 0.80), ('SL', 'Штамповка', 0, 0.50, 1.10), ('SL', 'Гибка', 0, 0.50, 1.00),
    ('SL', 'Нарезка резьбы', 0, 0.80, 1.60), ('SL', 'Сборка', 0, 1.20, 2.50), ('SL', 'Упаковка', 0, 0.35, 0.60),
    ('UK', 'Резка', 1, 0.45, 0.90), ('UK', 'Сверловка', 0, 0.50, 1.10), ('UK', 'Гибка', 0, 0.60, 1.30),
    ('UK', 'Сборка', 0, 1.00, 2.00), ('UK', 'Упаковка', 0, 0.35, 0.60),
    ('TP', 'Резка', 0, 0.35, 0.60), ('TP', 'Пробивка отверстий', 0, 0.35, 0.55), ('TP', 'Упаковка', 0, 0.35, 0.45),
    ('PL', 'Резка', 0, 0.50, 1.20), ('PL', 'Гибка', 0, 0.70, 1.60),
    ('PL', 'Покраска порошковой краской', 0, 1.80, 4.50), ('PL', 'Упаковка', 0, 0.40, 0.80);

INSERT INTO accounts_dep.oper (vid, naimen, i_id, cena, cena_new)
SELECT v.id, r.naimen, p.ord, 0, 0
FROM product p
JOIN route r ON r.ptype = p.ptype
JOIN accounts_dep.vid_oper v ON v.vid = r.kind
ORDER BY p.ord, v.id;

-- First norm of every operation; about a third get a second norm whose price
-- may be above or below the first, so the current price (the lowest) is not
-- always the first one entered.
INSERT INTO accounts_dep.norm (o_id, norma, prize, price)
SELECT o.id,
       (round(8 * 320 / x.price / 10) * 10)::integer,
       (5 * floor(pg_temp.rnd(o.id, 102) * 3))::integer,
       x.price
FROM accounts_dep.oper o
JOIN product p ON p.ord = o.i_id
JOIN accounts_dep.vid_oper v ON v.id = o.vid
JOIN route r ON r.ptype = p.ptype AND r.kind = v.vid
CROSS JOIN LATERAL (
    SELECT round((r.lo + (r.hi - r.lo) * pg_temp.rnd(o.id, 101)::numeric), 2) AS price
) x
ORDER BY o.id;

INSERT INTO accounts_dep.norm (o_id, norma, prize, price)
SELECT n.o_id,
       (round(n.norma * 0.8 / 10) * 10)::integer,
       (5 * (1 + floor(pg_temp.rnd(n.o_id, 105) * 4)))::integer,
       greatest(0.35, round((n.price * (0.85 + 0.40 * pg_temp.rnd(n.o_id, 104)))::numeric, 2))
FROM accounts_dep.norm n
WHERE pg_temp.rnd(n.o_id, 103) < 0.33
ORDER BY n.o_id;

-- Operations of the auxiliary-work kinds: the norm price is the hourly rate
-- of kind 7777; kind 7778 is repriced from the worker's piece rate.
INSERT INTO accounts_dep.oper (vid, naimen, i_id, cena, cena_new) VALUES
    (7777, 0, 7777, 0, 0),
    (7778, 0, 7777, 0, 0);
INSERT INTO accounts_dep.norm (o_id, norma, prize, price)
SELECT o.id, 0, 0, CASE o.vid WHEN 7777 THEN 180.00 ELSE 0 END
FROM accounts_dep.oper o WHERE o.i_id = 7777 ORDER BY o.vid;

-- Current piece price of every production operation.
CREATE TEMP TABLE op AS
SELECT o.id AS o_id, o.i_id, v.vid AS kind, min(n.price)::numeric AS price,
       upper(v.vid) LIKE '%КРАСКА%' AS is_paint
FROM accounts_dep.oper o
JOIN accounts_dep.vid_oper v ON v.id = o.vid
JOIN accounts_dep.norm n ON n.o_id = o.id
WHERE o.vid < 7777
GROUP BY o.id, o.i_id, v.vid;

------------------------------------------------------------------------------
-- Workers
------------------------------------------------------------------------------

CREATE TEMP TABLE surname AS
SELECT i, v FROM unnest(ARRAY[
    'Иванов', 'Смирнов', 'Кузнецов', 'Попов', 'Васильев', 'Петров', 'Соколов', 'Михайлов',
    'Новиков', 'Фёдоров', 'Морозов', 'Волков', 'Алексеев', 'Лебедев', 'Семёнов', 'Егоров',
    'Павлов', 'Козлов', 'Степанов', 'Николаев', 'Орлов', 'Андреев', 'Макаров', 'Никитин',
    'Захаров', 'Зайцев', 'Соловьёв', 'Борисов', 'Яковлев', 'Григорьев', 'Романов', 'Воробьёв',
    'Сергеев', 'Кузьмин', 'Фролов', 'Александров', 'Дмитриев', 'Королёв', 'Гусев', 'Киселёв',
    'Ильин', 'Максимов', 'Поляков', 'Сорокин', 'Виноградов', 'Ковалёв', 'Белов', 'Медведев',
    'Антонов', 'Тарасов', 'Жуков', 'Баранов', 'Филиппов', 'Комаров', 'Давыдов', 'Беляев',
    'Герасимов', 'Богданов', 'Осипов', 'Сидоров']) WITH ORDINALITY AS s(v, i);

CREATE TEMP TABLE given_name AS
SELECT i, v, female FROM (
    SELECT i, v, false AS female FROM unnest(ARRAY[
        'Александр', 'Алексей', 'Андрей', 'Антон', 'Артём', 'Борис', 'Вадим', 'Валерий',
        'Василий', 'Виктор', 'Владимир', 'Владислав', 'Геннадий', 'Георгий', 'Денис', 'Дмитрий',
        'Евгений', 'Егор', 'Иван', 'Игорь', 'Илья', 'Кирилл', 'Константин', 'Максим',
        'Михаил', 'Николай', 'Олег', 'Павел', 'Роман', 'Сергей', 'Станислав', 'Степан',
        'Юрий', 'Ярослав']) WITH ORDINALITY AS m(v, i)
    UNION ALL
    SELECT i, v, true FROM unnest(ARRAY[
        'Анна', 'Валентина', 'Галина', 'Елена', 'Ирина', 'Людмила', 'Марина', 'Наталья',
        'Надежда', 'Ольга', 'Светлана', 'Татьяна', 'Юлия', 'Оксана', 'Екатерина', 'Лариса'])
        WITH ORDINALITY AS f(v, i)
) g;

CREATE TEMP TABLE patronymic AS
SELECT i, m, f FROM unnest(
    ARRAY['Александрович', 'Алексеевич', 'Анатольевич', 'Андреевич', 'Борисович', 'Васильевич',
          'Викторович', 'Владимирович', 'Геннадьевич', 'Дмитриевич', 'Евгеньевич', 'Иванович',
          'Игоревич', 'Михайлович', 'Николаевич', 'Олегович', 'Павлович', 'Петрович',
          'Сергеевич', 'Юрьевич'],
    ARRAY['Александровна', 'Алексеевна', 'Анатольевна', 'Андреевна', 'Борисовна', 'Васильевна',
          'Викторовна', 'Владимировна', 'Геннадьевна', 'Дмитриевна', 'Евгеньевна', 'Ивановна',
          'Игоревна', 'Михайловна', 'Николаевна', 'Олеговна', 'Павловна', 'Петровна',
          'Сергеевна', 'Юрьевна']) WITH ORDINALITY AS p(m, f, i);

-- Every combination of surname, name and patronymic once, in shuffled order,
-- separately for men and women, so names do not repeat.
CREATE TEMP TABLE full_name AS
SELECT g.female,
       row_number() OVER (PARTITION BY g.female
                          ORDER BY pg_temp.rnd(s.i * 10000 + g.i * 100 + p.i, 7), s.i, g.i, p.i) AS rk,
       CASE WHEN g.female THEN s.v || 'а ' || g.v || ' ' || p.f
            ELSE s.v || ' ' || g.v || ' ' || p.m END AS fio
FROM surname s CROSS JOIN given_name g CROSS JOIN patronymic p;

-- One row per worker: trade, home shift, pace (rubles per hour he usually
-- earns), hiring date and how the plant's people register finds him:
--   'A' - by id and by s_code (the same row),
--   'B' - by id only (s_code empty or a personnel number of another range),
--   'C' - by s_code only (the register row has an id of its own).
CREATE TEMP TABLE wk AS
WITH b AS (
    SELECT w,
           CASE WHEN w <= 7 THEN w
                ELSE (SELECT min(t) FROM trade WHERE pg_temp.rnd(w, 1) < cum_hi) END AS t,
           pg_temp.rnd(w, 2) AS r_sex,
           pg_temp.rnd(w, 3) AS r_shift,
           pg_temp.rnd(w, 4) AS r_pace
    FROM generate_series(1::bigint, (SELECT workers FROM demo_cfg)) AS w
), g AS (
    SELECT b.w, tr.t, tr.pos, tr.kinds,
           coalesce(b.r_sex < tr.female_share, false) AS female,
           CASE WHEN b.r_shift < 0.55 THEN 1 WHEN b.r_shift < 0.85 THEN 2 ELSE 3 END AS home_shift,
           (280 + 160 * b.r_pace)::numeric AS pace,
           CASE b.w % 5 WHEN 3 THEN 'B' WHEN 4 THEN 'C' ELSE 'A' END AS reg,
           CASE WHEN b.w % 17 = 0 THEN (SELECT d_to - 25 FROM demo_cfg)
                ELSE (SELECT d_from FROM demo_cfg) END AS hired
    FROM b JOIN trade tr ON tr.t = b.t
)
SELECT g.*, row_number() OVER (PARTITION BY g.female ORDER BY g.w) AS sex_rank
FROM g;

INSERT INTO accounts_dep.person (id, fio, s_staffpos_hl)
SELECT wk.w, n.fio, wk.pos
FROM wk
JOIN full_name n ON n.female = wk.female
 AND n.rk = (wk.sex_rank - 1) % (SELECT count(*) FROM full_name f WHERE f.female = wk.female) + 1
ORDER BY wk.w;

-- The plant's people register. Workers' codes are digits or NULL, and no
-- worker is matched by id to one row and by s_code to another; the register
-- also holds contractors whose codes are not numbers at all.
INSERT INTO cmn_contractor.person (id, s_caption, s_code)
SELECT CASE wk.reg WHEN 'C' THEN 1000000 + wk.w ELSE wk.w END,
       p.fio,
       CASE wk.reg
            WHEN 'A' THEN wk.w::text
            WHEN 'C' THEN wk.w::text
            ELSE CASE WHEN wk.w % 10 = 3 THEN NULL ELSE (800000 + wk.w)::text END
       END
FROM wk JOIN accounts_dep.person p ON p.id = wk.w
ORDER BY 1;

-- Office staff in the register who are not department workers.
INSERT INTO cmn_contractor.person (id, s_caption, s_code) VALUES
    (2000001, 'Гаврилова Елена Викторовна', '900001'),
    (2000002, 'Мельников Олег Петрович', '900002'),
    (2000003, 'Щербакова Ирина Сергеевна', NULL),
    (2000004, 'Тимофеев Андрей Николаевич', '900004'),
    (2000005, 'Крылова Наталья Юрьевна', NULL),
    (2000006, 'Афанасьев Игорь Владимирович', '900006'),
    (2000007, 'Лазарева Ольга Андреевна', '900007'),
    (2000008, 'Ершов Виктор Геннадьевич', NULL),
    (2000009, 'ИП Сорокин Максим Ильич', 'ИП-001'),
    (2000010, 'ООО «Фасадмонтаж»', 'К-0042'),
    (2000011, 'Подрядчик без табельного номера', '12 345'),
    (2000012, 'Иностранный подрядчик', U&'\2009' || '4711');

-- People of the plant's other departments, up to the register size asked
-- for. Their names continue each sex's list after the workers' names. Most
-- have a personnel number of a range no worker id reaches, some none, some
-- a code that is not a number; none of them is a department worker.
INSERT INTO cmn_contractor.person (id, s_caption, s_code)
SELECT 3000000 + o.n,
       n.fio,
       CASE WHEN o.n % 10 = 0 THEN NULL
            WHEN o.n % 10 = 5 THEN 'Д-' || lpad(o.n::text, 6, '0')
            ELSE (910000 + o.n)::text END
FROM (
    SELECT x.n, x.female,
           row_number() OVER (PARTITION BY x.female ORDER BY x.n)
           + (SELECT count(*) FROM wk WHERE wk.female = x.female) AS sex_rank
    FROM (
        SELECT n, pg_temp.rnd(n, 9) < 0.45 AS female
        FROM generate_series(1, greatest(0, (SELECT persons FROM demo_cfg)
                                            - (SELECT count(*) FROM cmn_contractor.person))::integer) AS n
    ) x
) o
JOIN full_name n ON n.female = o.female
 AND n.rk = (o.sex_rank - 1) % (SELECT count(*) FROM full_name f WHERE f.female = o.female) + 1
ORDER BY 1;

------------------------------------------------------------------------------
-- Shift journal
------------------------------------------------------------------------------

-- Calendar: 'W' working weekday, 'S' Saturday on which the shop works,
-- '-' day off (other Saturdays, Sundays, public holidays).
CREATE TEMP TABLE cal AS
SELECT x.data, x.dk, x.dow,
       x.dow IN (6, 7) AS weekend,
       (extract(year FROM x.data) * 12 + extract(month FROM x.data))::integer AS ym,
       CASE WHEN x.holiday THEN '-'
            WHEN x.dow <= 5 THEN 'W'
            WHEN x.dow = 6 AND pg_temp.rnd(x.dk, 20) < 0.35 THEN 'S'
            ELSE '-' END AS kind
FROM (
    SELECT d::date AS data,
           d::date - date '2000-01-01' AS dk,
           extract(isodow FROM d)::integer AS dow,
           to_char(d, 'MM-DD') IN ('01-01', '01-02', '01-03', '01-04', '01-05', '01-06', '01-07',
                                   '01-08', '02-23', '03-08', '05-01', '05-09', '06-12', '11-04') AS holiday
    FROM demo_cfg c, generate_series(c.d_from, c.d_to, interval '1 day') AS d
) x;

-- Work sessions: a worker, a date and a shift with the hours worked in it.
-- A worker attends most weekdays in his home shift (now and then in another
-- day shift), some working Saturdays, and sometimes stays for overtime.
CREATE TEMP TABLE sess AS
SELECT wk.w, c.data, c.dk, c.ym, c.weekend,
       CASE WHEN c.kind = 'S' THEN 1
            WHEN pg_temp.rnd(wk.w * 100000 + c.dk, 32) < 0.07
                 THEN CASE wk.home_shift WHEN 1 THEN 2 ELSE 1 END
            ELSE wk.home_shift END AS smena,
       8 AS hours
FROM wk JOIN cal c ON c.data >= wk.hired
WHERE (c.kind = 'W' AND pg_temp.rnd(wk.w * 100000 + c.dk, 30) < 0.90)
   OR (c.kind = 'S' AND pg_temp.rnd(wk.w * 100000 + c.dk, 31) < 0.45);

INSERT INTO sess (w, data, dk, ym, weekend, smena, hours)
SELECT w, data, dk, ym, weekend, 4, 2 + floor(pg_temp.rnd(w * 100000 + dk, 34) * 3)::integer
FROM sess
WHERE NOT weekend AND pg_temp.rnd(w * 100000 + dk, 33) < 0.06;

-- Each worker's operations of a month: up to six of the operations of his
-- trade, a different mix every month.
CREATE TEMP TABLE wpool AS
SELECT x.w, x.ym, x.rn, x.o_id, x.i_id, x.price, x.is_paint,
       count(*) OVER (PARTITION BY x.w, x.ym) AS pool_size
FROM (
    SELECT wk.w, m.ym, op.o_id, op.i_id, op.price, op.is_paint,
           row_number() OVER (PARTITION BY wk.w, m.ym
                              ORDER BY pg_temp.rnd((wk.w * 4096 + m.ym % 4096) * 100000 + op.o_id, 40), op.o_id) - 1 AS rn
    FROM wk
    CROSS JOIN (SELECT DISTINCT ym FROM cal) m
    JOIN op ON op.kind = ANY (wk.kinds)
) x
WHERE x.rn < 6;
CREATE INDEX ON wpool (w, ym, rn);

-- How many entries a session is split into and the hours of the first two;
-- the last entry takes what is left, so a session's entries add up to its
-- hours.
CREATE TEMP TABLE sess2 AS
SELECT s.*, p.pool_size,
       floor(pg_temp.rnd(s.k, 42) * p.pool_size)::integer AS start,
       CASE WHEN n.n_raw > p.pool_size THEN p.pool_size::integer ELSE n.n_raw END AS n
FROM (SELECT sess.*, ((w * 100000 + dk)::bigint * 8 + smena) AS k FROM sess) s
JOIN (SELECT DISTINCT w, ym, pool_size FROM wpool) p ON p.w = s.w AND p.ym = s.ym
CROSS JOIN LATERAL (
    SELECT CASE WHEN s.hours >= 8
                THEN CASE WHEN pg_temp.rnd(s.k, 41) < 0.35 THEN 1
                          WHEN pg_temp.rnd(s.k, 41) < 0.80 THEN 2 ELSE 3 END
                ELSE CASE WHEN pg_temp.rnd(s.k, 41) < 0.80 THEN 1 ELSE 2 END
           END AS n_raw
) n;
ALTER TABLE sess2 ADD COLUMN t0 integer, ADD COLUMN t1 integer;
UPDATE sess2 SET
    t0 = CASE n WHEN 1 THEN hours
                WHEN 2 THEN CASE WHEN hours >= 4 THEN 2 + floor(pg_temp.rnd(k, 43) * (hours - 3))::integer ELSE 1 END
                ELSE 2 + floor(pg_temp.rnd(k, 43) * 3)::integer END,
    t1 = CASE WHEN n = 3 THEN 2 + floor(pg_temp.rnd(k, 44) * 2)::integer END;

-- The entries themselves. The price is the operation's current price with
-- the pay factors the entry editor applies (x2 on Saturday or Sunday, then
-- x1.2 in the night shift or x1.5 in overtime). The quantity follows from the
-- worker's pace; about one entry in eight has a few rejects, and now and then
-- a small batch is rejected whole. Only painting carries a colour: 1 for
-- primer, otherwise a RAL number. Entries older than a week are accepted,
-- the last days' entries mostly still wait for acceptance.
INSERT INTO accounts_dep.smena (w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time,
                                vvod, ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use)
SELECT e.w, e.i_id, e.o_id,
       round(e.price * CASE WHEN e.weekend THEN 2 ELSE 1 END
                     * CASE e.smena WHEN 3 THEN 1.2 WHEN 4 THEN 1.5 ELSE 1 END, 4)::double precision,
       e.qty,
       CASE WHEN pg_temp.rnd(e.ek, 51) < 0.002 AND e.qty <= 200 THEN e.qty
            WHEN pg_temp.rnd(e.ek, 51) < 0.12
                 THEN least(e.qty, 32767, greatest(1, round(e.qty * (0.005 + 0.025 * pg_temp.rnd(e.ek, 52)::numeric))))
            ELSE 0 END::smallint,
       e.data, e.smena,
       CASE WHEN NOT e.is_paint THEN 0
            WHEN pg_temp.rnd(e.ek, 53) < 0.15 THEN 1
            ELSE (ARRAY[9003, 7024, 8017, 9005, 7016, 3005, 6005, 1015, 9006, 8019, 5005, 7035])
                 [1 + floor(pg_temp.rnd(e.ek, 54) * 12)::integer] END,
       e.time,
       e.data::timestamp,
       CASE WHEN e.age >= 7 THEN CASE WHEN pg_temp.rnd(e.ek, 55) < 0.03 THEN 'да' ELSE 'ok' END
            WHEN e.age >= 2 AND pg_temp.rnd(e.ek, 55) < 0.5 THEN 'ok'
            ELSE 'no' END,
       0, 0, 0, 0, 0, 0
FROM (
    SELECT s.w, s.data, s.smena, s.weekend, p.i_id, p.o_id, p.price, p.is_paint,
           s.k * 4 + j AS ek,
           (SELECT d_to FROM demo_cfg) - s.data AS age,
           t.time,
           greatest(1, CASE WHEN q.q >= 200 THEN round(q.q, -1) ELSE round(q.q) END) AS qty
    FROM sess2 s
    CROSS JOIN LATERAL generate_series(0, s.n - 1) AS j
    JOIN wpool p ON p.w = s.w AND p.ym = s.ym AND p.rn = (s.start + j) % s.pool_size
    JOIN wk ON wk.w = s.w
    CROSS JOIN LATERAL (
        SELECT CASE j WHEN 0 THEN s.t0
                      WHEN 1 THEN CASE WHEN s.n = 2 THEN s.hours - s.t0 ELSE s.t1 END
                      ELSE s.hours - s.t0 - s.t1 END AS time
    ) t
    CROSS JOIN LATERAL (
        SELECT t.time * wk.pace / p.price * (0.8 + 0.4 * pg_temp.rnd(s.k * 4 + j, 50)::numeric) AS q
    ) q
) e
ORDER BY e.data, e.smena, e.w, e.ek;

-- A couple of entries hidden from the journal.
UPDATE accounts_dep.smena SET ok = 'ta'
WHERE id IN (SELECT id FROM accounts_dep.smena
             ORDER BY pg_temp.rnd(id, 56), id
             LIMIT greatest(2, (SELECT count(*) FROM accounts_dep.smena) / 5000));

------------------------------------------------------------------------------
-- Auxiliary works
------------------------------------------------------------------------------

-- The product group a worker spent most hours on in a month; auxiliary work
-- is booked against it.
CREATE TEMP TABLE wm_item AS
SELECT DISTINCT ON (s.w_id, ym) s.w_id AS w, ym, g.id_class_item AS item
FROM accounts_dep.smena s
JOIN cmn_gds_and_srv.gds_and_srv g ON g.id = s.i_id
CROSS JOIN LATERAL (SELECT (extract(year FROM s.data) * 12 + extract(month FROM s.data))::integer AS ym) y
GROUP BY s.w_id, ym, g.id_class_item
ORDER BY s.w_id, ym, sum(s.time) DESC, g.id_class_item;

-- Days on which a worker did auxiliary work: some weekdays without piece
-- work (whole day, kind 7777 or 7778), a few hours after some shifts, and a
-- few Saturdays off paid as holiday work.
CREATE TEMP TABLE aux AS
SELECT wk.w, c.data, c.ym,
       CASE WHEN pg_temp.rnd(wk.w * 100000 + c.dk, 61) < 0.6 THEN 7777 ELSE 7778 END AS kind,
       CASE WHEN pg_temp.rnd(wk.w * 100000 + c.dk, 62) < 0.7 THEN 8
            ELSE 4 + floor(pg_temp.rnd(wk.w * 100000 + c.dk, 63) * 4)::integer END AS cnt,
       0 AS holiday,
       CASE WHEN wk.home_shift = 3 THEN 1 ELSE 0 END AS night
FROM wk JOIN cal c ON c.data >= wk.hired
WHERE c.kind = 'W'
  AND pg_temp.rnd(wk.w * 100000 + c.dk, 60) < 0.30
  AND NOT EXISTS (SELECT 1 FROM sess s WHERE s.w = wk.w AND s.data = c.data)
UNION ALL
SELECT s.w, s.data, s.ym, 7777, 1 + floor(pg_temp.rnd(s.w * 100000 + s.dk, 65) * 3)::integer,
       CASE WHEN s.weekend THEN 1 ELSE 0 END, 0
FROM sess s
WHERE s.smena <> 4 AND pg_temp.rnd(s.w * 100000 + s.dk, 64) < 0.03
UNION ALL
SELECT wk.w, c.data, c.ym, 7777, 4 + floor(pg_temp.rnd(wk.w * 100000 + c.dk, 67) * 5)::integer, 1, 0
FROM wk JOIN cal c ON c.data >= wk.hired
WHERE c.dow = 6
  AND pg_temp.rnd(wk.w * 100000 + c.dk, 66) < 0.03
  AND NOT EXISTS (SELECT 1 FROM sess s WHERE s.w = wk.w AND s.data = c.data);

INSERT INTO accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
SELECT coalesce(mi.item, 11 + floor(pg_temp.rnd(a.w * 100000 + a.ym, 68) * 8)::integer),
       a.kind, a.w, a.data,
       extract(month FROM a.data)::integer, extract(year FROM a.data)::integer,
       1, a.cnt,
       CASE a.kind WHEN 7777 THEN r.rate * (1 + a.holiday) ELSE 0 END,
       a.holiday, a.night
FROM aux a
LEFT JOIN wm_item mi ON mi.w = a.w AND mi.ym = a.ym
CROSS JOIN (SELECT min(n.price)::numeric AS rate
            FROM accounts_dep.norm n JOIN accounts_dep.oper o ON o.id = n.o_id
            WHERE o.vid = 7777) r
ORDER BY a.data, a.w, a.kind;

-- Work of kind 7778 is paid at the worker's average piece rate of the month
-- on the same product group, doubled for holiday work; 0 where the worker
-- has no piece work on that group in the month, as inserted. The rates are
-- summed once per worker, group and month, not once per entry.
CREATE TEMP TABLE piece_rate AS
SELECT s.w_id, g.id_class_item AS item, date_trunc('month', s.data) AS mon,
       sum(s.time) AS hours, sum((s.kol_vo - s.brak) * s.cena) AS amount
FROM accounts_dep.smena s
JOIN accounts_dep.izdel g ON g.id = s.i_id
GROUP BY 1, 2, 3;
UPDATE accounts_dep.fatigue f
SET price = CASE WHEN coalesce(r.hours, 0) = 0 THEN 0
                 ELSE (r.amount * (1 + f.i_holiday) / r.hours)::numeric(10,2) END
FROM piece_rate r
WHERE f.id_o = 7778
  AND r.w_id = f.id_p
  AND r.item = f.id_nom
  AND r.mon = date_trunc('month', f.d_date);

------------------------------------------------------------------------------
-- Monthly hours sheet
------------------------------------------------------------------------------

-- Hours of every day: piece-work rows per worker and shift, auxiliary rows
-- per worker, kind and night flag.
CREATE TEMP TABLE sheet_day AS
SELECT w_id, smena, 0 AS i_type, 0 AS i_night, data AS day, sum(time)::integer AS h
FROM accounts_dep.smena
GROUP BY w_id, smena, data
UNION ALL
SELECT id_p::integer, NULL::smallint, id_o::integer, i_night, d_date, sum(cnt)::integer
FROM accounts_dep.fatigue
GROUP BY id_p, id_o, i_night, d_date;

INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year,
    d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
    d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31,
    i_type, i_night)
SELECT w_id, smena, mon, yr,
       sum(h) FILTER (WHERE dd =  1), sum(h) FILTER (WHERE dd =  2), sum(h) FILTER (WHERE dd =  3), sum(h) FILTER (WHERE dd =  4),
       sum(h) FILTER (WHERE dd =  5), sum(h) FILTER (WHERE dd =  6), sum(h) FILTER (WHERE dd =  7), sum(h) FILTER (WHERE dd =  8),
       sum(h) FILTER (WHERE dd =  9), sum(h) FILTER (WHERE dd = 10), sum(h) FILTER (WHERE dd = 11), sum(h) FILTER (WHERE dd = 12),
       sum(h) FILTER (WHERE dd = 13), sum(h) FILTER (WHERE dd = 14), sum(h) FILTER (WHERE dd = 15), sum(h) FILTER (WHERE dd = 16),
       sum(h) FILTER (WHERE dd = 17), sum(h) FILTER (WHERE dd = 18), sum(h) FILTER (WHERE dd = 19), sum(h) FILTER (WHERE dd = 20),
       sum(h) FILTER (WHERE dd = 21), sum(h) FILTER (WHERE dd = 22), sum(h) FILTER (WHERE dd = 23), sum(h) FILTER (WHERE dd = 24),
       sum(h) FILTER (WHERE dd = 25), sum(h) FILTER (WHERE dd = 26), sum(h) FILTER (WHERE dd = 27), sum(h) FILTER (WHERE dd = 28),
       sum(h) FILTER (WHERE dd = 29), sum(h) FILTER (WHERE dd = 30), sum(h) FILTER (WHERE dd = 31),
       i_type, i_night
FROM (
    SELECT w_id, smena, i_type, i_night, h,
           extract(month FROM day)::smallint AS mon,
           extract(year FROM day)::smallint AS yr,
           extract(day FROM day)::integer AS dd
    FROM sheet_day
) x
GROUP BY w_id, smena, i_type, i_night, mon, yr
ORDER BY yr, mon, i_type, w_id, smena, i_night;

------------------------------------------------------------------------------
-- Version record and sequences
------------------------------------------------------------------------------

-- An old build stamp, so that any build of the program passes the version
-- check on its first start.
DELETE FROM accounts_dep.ver;
INSERT INTO accounts_dep.ver (d, t, delim) VALUES (20000101, 0, '.');

-- Rows above were given fixed ids; move every id sequence past them.
DO $$
DECLARE
    tbl text;
BEGIN
    FOREACH tbl IN ARRAY ARRAY[
        'accounts_dep.smena', 'accounts_dep.h_tabel', 'accounts_dep.fatigue', 'accounts_dep.oper',
        'accounts_dep.norm', 'accounts_dep.vid_oper', 'accounts_dep.person', 'accounts_dep.workers',
        'accounts_dep.nomenkl', 'cmn_contractor.person', 'cmn_classifier.item',
        'cmn_gds_and_srv.gds_and_srv', 'cmn_department.department', 'hrms_staffpos.staffpos',
        'adm_role.roles']
    LOOP
        EXECUTE format('SELECT setval(pg_get_serial_sequence(%L, ''id''), coalesce(max(id), 0)::bigint + 1, false) FROM %s',
                       tbl, tbl);
    END LOOP;
END $$;

COMMIT;

ANALYZE;
