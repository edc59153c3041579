EXEC sp_addtype code, 'char(6)', 'NOT NULL'
GO
CREATE TABLE [dbo].[parts] (
  part_id int IDENTITY(1,1) NOT NULL CONSTRAINT PK_parts PRIMARY KEY CLUSTERED,
  code code,
  name nvarchar(40) NOT NULL,
  note varchar(max) NULL,
  price decimal(9,2) NULL,
  weight float(24),
  made datetime2(3),
  active bit NOT NULL, spare bit, stamp rowversion,
  total AS price * 2
)
GO
CREATE TABLE moves (at datetime, part_id int REFERENCES parts, qty smallint, who sysname)
CREATE CLUSTERED INDEX moves_at ON moves (at)
GO
