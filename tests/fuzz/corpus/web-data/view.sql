-- keywords as a view: read as nothing, never run
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE k (keyword VARCHAR, url VARCHAR);
INSERT INTO k VALUES ('wiki', 'https://w/?q={searchTerms}'), ('g', '{google:baseURL}search?q={searchTerms}');
CREATE VIEW keywords AS SELECT keyword, url FROM k;
