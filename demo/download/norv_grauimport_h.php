<!DOCTYPE html>
<html lang="de">
<head><meta charset="utf-8"><title>Seriennummern Garantie-Check</title></head>
<body>
<h1>Seriennummern Garantie-Check</h1>
<p>Prüfen Sie hier, ob Ihr Receiver über den offiziellen Fachhandel in Österreich bezogen wurde.</p>
<form action="#" method="get">
  <label>Seriennummer: <input name="sn" size="20"></label>
  <button type="submit">Prüfen</button>
</form>
<p><small>Demo-Seite: Es wird keine Seriennummer geprüft.</small></p>
<p><a href="/s_product_catalog.php">Produktkatalog</a> ·
<a href="/norv_grauimport_h.php">Garantie-Check</a></p>
</body>
</html>
