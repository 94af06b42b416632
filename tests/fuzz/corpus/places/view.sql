-- moz_keywords as a view over a table of another name
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR);
CREATE TABLE k (id INTEGER PRIMARY KEY, keyword TEXT UNIQUE, place_id INTEGER, post_data TEXT);
INSERT INTO moz_places VALUES (1, 'https://w/?q=%s');
INSERT INTO k VALUES (1, 'wiki', 1, NULL);
CREATE VIEW moz_keywords AS SELECT * FROM k;
