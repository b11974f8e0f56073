-- A database of the older system as the import reads it: every column in
-- the position the import reads it from. The rows cover the cases the import
-- must tell apart; their ids are what full_run.txt translates.

CREATE TABLE districts (id integer PRIMARY KEY, name text);
CREATE TABLE regions (id integer PRIMARY KEY, district integer, name text, code integer);
CREATE TABLE positions (id integer PRIMARY KEY, name text);
CREATE TABLE orgs (id integer PRIMARY KEY, name text, code text, region integer, address text,
                   phone text, director text, inn text, archived boolean);
CREATE TABLE learning_progs (id integer PRIMARY KEY, name text, value text, ext_id integer,
                             paid boolean, cost numeric(12, 2), archived boolean, base text);
CREATE TABLE streams (id integer PRIMARY KEY, name text, start_date date, end_date date,
                      prog integer, ext_id integer);
CREATE TABLE rates (id integer PRIMARY KEY, type text, name text, cost numeric(12, 2),
                    hour_cost numeric(12, 2), start_date date, end_date date, size integer,
                    main boolean, base text, comments text, notes text);
CREATE TABLE rooms (id integer PRIMARY KEY, number text, floor integer, size integer,
                    description text, phone text, rates text);
CREATE TABLE pay_type (id integer PRIMARY KEY, name text, attribute integer, payer integer,
                       start_date date, end_date date, contract_cost numeric(12, 2));
CREATE TABLE property (id integer PRIMARY KEY, name text, number text, cost numeric(12, 2),
                       archived boolean);
CREATE TABLE extra_usl (id integer PRIMARY KEY, name text, measurement text, rate numeric(12, 2),
                        end_date date, base text, start_date date, param integer);
CREATE TABLE property_usl_mapping (property integer, usl integer);
CREATE TABLE users (id integer PRIMARY KEY, name text, password text, position text,
                    rv integer, rv0 integer);
CREATE TABLE count_hour (id integer, hour time);
CREATE TABLE org_info (id integer, name text, address text, extra_address text, inn text,
                       kpp text, comment text);
CREATE TABLE receipt_num (num integer);
CREATE TABLE bill_num (num integer, last_change date);
CREATE TABLE ph_person (id integer PRIMARY KEY, surname text, name text, lastname text,
                        birth_date date, gender boolean, photo text, address text, comments text,
                        admin integer, bill_num integer, ext_id integer, phone text);
CREATE TABLE ph_person_passport (id integer PRIMARY KEY, type text, series text, number text,
                                 issued date, whom text);
CREATE TABLE ph_person_learn (id integer PRIMARY KEY, course text, stream integer);
CREATE TABLE ph_person_work (id integer PRIMARY KEY, org integer, position integer);
CREATE TABLE accommodation (id integer PRIMARY KEY, whom integer, room integer,
                            in_date timestamp, out_date timestamp, rate integer, admin integer);
CREATE TABLE payments (id integer PRIMARY KEY, whom integer, summ numeric(12, 2),
                       pay_date timestamp, pay_type integer, cassir integer, payer integer);
CREATE TABLE receipts (id integer PRIMARY KEY, ph integer, usl integer, number integer,
                       cassir integer, start_date timestamp, end_date timestamp, amount integer,
                       pay_date date, pay_type integer, property integer, received boolean,
                       receiver integer, receive_date date);
CREATE TABLE paid_education_receipts (id integer PRIMARY KEY, number integer, prog integer,
                                      pay_date date, pay_type integer, cassir integer,
                                      whom integer, start_date date, end_date date);

INSERT INTO districts VALUES (1, 'Центральный'), (2, 'Северный'), (3, 'Южный');
-- District 99 was never imported.
INSERT INTO regions VALUES (1, 1, 'Москва', 77), (2, 99, 'Тверская область', 69);
INSERT INTO positions VALUES (1, 'Инженер'), (2, 'Бухгалтер');
INSERT INTO orgs VALUES
    (1, 'ООО Ромашка', 'R-1', 1, 'ул. Лесная', '123', 'Иванов', '7701000001', false),
    (2, 'АО Архив', 'A-2', 2, NULL, NULL, NULL, NULL, true);
INSERT INTO learning_progs VALUES
    (1, 'Охрана труда', '72', 1001, true, 1500.50, false, 'Приказ 1'),
    (2, 'Пожарная безопасность', NULL, NULL, false, NULL, true, NULL);
-- Curriculum 5 does not exist.
INSERT INTO streams VALUES
    (1, 'Поток 1', '2020-09-01', '2020-09-15', 1, 501),
    (2, 'Поток 2', NULL, NULL, 5, NULL);
INSERT INTO rates VALUES
    (3, 'Стандарт', 'Одноместный', 1500, 100, '2023-09-01', NULL, 1, true, 'Приказ 2', '', NULL),
    (5, 'Стандарт', 'Двухместный', 2500.50, 150, '2023-09-01', '2024-08-31', 2, false, NULL, NULL, 'заметка'),
    (7, 'Люкс', 'Люкс', 5000, 300, NULL, NULL, 2, false, '', '', '');
INSERT INTO rooms VALUES
    (1, '101', 1, 2, 'Угловая', NULL, '3,s5,5e,,7'),
    (2, '102', 1, 1, NULL, NULL, NULL),
    (3, '201', 2, 1, '', NULL, 'se');
-- Organization 42 does not exist.
INSERT INTO pay_type VALUES
    (1, 'Наличные', 1, NULL, NULL, NULL, NULL),
    (2, 'Контракт', 1, 1, '2024-01-01', '2024-12-31', 50000),
    (3, 'Чужой договор', 0, 42, NULL, NULL, 0);
INSERT INTO property VALUES (1, 'Лыжи', 'L-1', 500, false), (2, 'Самокат', NULL, 300, true);
INSERT INTO extra_usl VALUES
    (1, 'Прокат лыж', 'сутки', 200, '2024-12-31', 'Приказ 3', '2024-01-01', 0),
    (2, 'Стирка', 'кг', 50.50, NULL, NULL, NULL, 1);
-- Item 1 twice for service 1; item 9 does not exist.
INSERT INTO property_usl_mapping VALUES (1, 1), (1, 1), (2, 1), (9, 2);
INSERT INTO users VALUES
    (0, 'Система', 'system', '', NULL, NULL),
    (1, 'Администратор', 'adm1', 'Дежурный', 1, NULL),
    (2, 'Кассир', 'kas2', 'Кассир', NULL, 2);
INSERT INTO count_hour VALUES (1, '12:00:00');
INSERT INTO org_info VALUES (1, 'Учебный центр', 'г. Москва', 'корпус 2', '7700000000', '770001001', '');
INSERT INTO receipt_num VALUES (41);
INSERT INTO bill_num VALUES (100, '2024-03-01');

-- Person 2 has no joined rows; person 3 names admin 7 and stream 9, which do not exist.
INSERT INTO ph_person VALUES
    (1, 'Иванов', 'Иван', 'Иванович', '1980-05-17', true, 'фото', 'г. Москва, ул. Лесная, 5', '', 1, 10, 555, '+7 916 000-00-00'),
    (2, 'Петрова', 'Анна', NULL, NULL, false, NULL, NULL, NULL, 0, NULL, NULL, NULL),
    (3, 'Сидоров', 'Пётр', 'Петрович', '1975-01-02', NULL, NULL, '', 'Пояснение', 7, 12, NULL, NULL);
INSERT INTO ph_person_passport VALUES (1, 'Паспорт', '45 09', '123456', '2004-05-20', 'ОВД Хамовники');
INSERT INTO ph_person_learn VALUES (1, 'курс', 1), (3, NULL, 9);
INSERT INTO ph_person_work VALUES (1, 1, 1), (3, NULL, NULL);
INSERT INTO accommodation VALUES
    (1, 1, 1, '2024-03-01 14:00', '2024-03-05 12:00', 3, 1),
    (2, 1, 2, '2024-03-05 12:00', NULL, 5, NULL);
-- Payer 77 does not exist.
INSERT INTO payments VALUES
    (1, 1, 1500.50, '2024-03-01 15:00', 1, 1, NULL),
    (2, 1, 3000, '2024-03-02 10:00', 2, 2, 2),
    (3, 3, 100, '2024-03-03 09:30', 1, 2, 77);
INSERT INTO receipts VALUES
    (1, 1, 1, 5, 1, '2024-03-01 10:00', '2024-03-03 10:00', 2, '2024-03-01', 1, 1, false, NULL, NULL),
    (2, 1, 2, 6, 2, '2024-03-02 09:00', '2024-03-02 18:00', 3, '2024-03-02', NULL, NULL, NULL, NULL, NULL),
    (3, 3, 1, 7, 2, '2024-03-04 09:00', '2024-03-05 09:00', 1, '2024-03-04', 2, 2, true, 1, '2024-03-05');
-- The second has no number.
INSERT INTO paid_education_receipts VALUES
    (1, 7, 1, '2024-03-01', 1, 1, 2, '2024-03-01', '2024-03-10'),
    (2, NULL, 1, '2024-03-02', 1, 1, 2, '2024-03-02', '2024-03-11');
