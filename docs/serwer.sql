-- Rejestr Kolvara na serwerze PostgreSQL: baza danych, role i uprawnienia.
--
-- Uruchamia go administrator serwera, raz, jako superużytkownik:
--
--     sudo -u postgres psql -v ON_ERROR_STOP=1 -v haslo='hasło właściciela' -f serwer.sql
--
-- Powstają: rola kolvar_wlasciciel (właściciel rejestru: zakłada tabelę i może ją
-- regenerować), grupy urzednicy (czytają i zapisują sprawy) i czytelnicy (tylko czytają),
-- baza danych rejestr, do której nikt inny nie może się połączyć. Uprawnienia do tabeli
-- kolvar są nadane z góry, zanim właściciel założy ją Kolvarem ("Nowy rejestr na serwerze…"
-- albo "Przenieś na serwer…"): działają od chwili, gdy tabela powstanie, i obejmują też
-- tabele i sekwencje, które kolejne wersje Kolvara dodadzą w tej bazie.
--
-- Inna nazwa bazy albo ról: zmień je tu w każdym miejscu przed uruchomieniem.

CREATE ROLE kolvar_wlasciciel LOGIN PASSWORD :'haslo';
CREATE ROLE urzednicy NOLOGIN;
CREATE ROLE czytelnicy NOLOGIN;

CREATE DATABASE rejestr OWNER kolvar_wlasciciel ENCODING 'UTF8' TEMPLATE template0;

-- Bez tego każda rola serwera mogłaby się połączyć z bazą i zakładać w niej tabele tymczasowe.
REVOKE ALL ON DATABASE rejestr FROM PUBLIC;
GRANT CONNECT ON DATABASE rejestr TO urzednicy, czytelnicy;

\connect rejestr

-- Tabele i sekwencje, które założy właściciel.
ALTER DEFAULT PRIVILEGES FOR ROLE kolvar_wlasciciel IN SCHEMA public
    GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO urzednicy;
ALTER DEFAULT PRIVILEGES FOR ROLE kolvar_wlasciciel IN SCHEMA public
    GRANT USAGE, SELECT ON SEQUENCES TO urzednicy;
ALTER DEFAULT PRIVILEGES FOR ROLE kolvar_wlasciciel IN SCHEMA public
    GRANT SELECT ON TABLES TO czytelnicy;
