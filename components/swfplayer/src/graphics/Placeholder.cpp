namespace vidorama::swf {}
